"""MAT files against SciPy: the interop files load with the values SciPy
reads, and the host's written file reads in SciPy with its fields.
Exit 77 (skipped) when SciPy is not installed."""
import subprocess
import sys
import tempfile

try:
    import numpy as np
    import scipy.io
except ImportError:
    print("SciPy is not installed")
    sys.exit(77)

tool, shared = sys.argv[1], sys.argv[2]
# The other writers' files are part of the repository: missing is a fault.
import os
if not os.path.isdir(shared):
    print(f"{shared} is not there")
    sys.exit(1)


def dump(path, rate=None):
    out = subprocess.run([tool, "dump", path] + ([str(rate)] if rate else []),
                         check=True, capture_output=True, text=True).stdout
    signals = {}
    for line in out.splitlines():
        f = line.split("\t")
        signals[f[1]] = dict(folder=f[0], unit=f[2], step=float(f[3]), start=float(f[4]),
                             values=np.array([float(v) for v in f[5:]]))
    return signals


def same(name, got, want):
    want = np.asarray(want, dtype=np.float64).ravel()
    if got.shape != want.shape or not np.array_equal(got, want):
        sys.exit(f"{name}: values differ from SciPy's")


m = scipy.io.loadmat(f"{shared}/bearing_style_v5.mat")
got = dump(f"{shared}/bearing_style_v5.mat", 12000)
for key in ("X097_DE_time", "X097_FE_time"):
    same(key, got[key]["values"], m[key])
    assert got[key]["step"] == 1 / 12000

m = scipy.io.loadmat(f"{shared}/vector_fs_v5.mat")
got = dump(f"{shared}/vector_fs_v5.mat")
same("vib", got["vib"]["values"], m["vib"])
assert got["vib"]["step"] == 1 / float(m["fs"].ravel()[0])

m = scipy.io.loadmat(f"{shared}/struct_signal_v5.mat", squeeze_me=True, struct_as_record=False)
sig = m["Signal"]
got = dump(f"{shared}/struct_signal_v5.mat")
for k, name in enumerate(sig.function_record.name):
    same(name, got[name]["values"], sig.y_values.values[:, k])
    assert got[name]["step"] == float(sig.x_values.increment), name
    assert got[name]["unit"] == sig.y_values.quantity.label, name

with tempfile.TemporaryDirectory() as tmp:
    path = f"{tmp}/written.mat"
    subprocess.run([tool, "write", path], check=True)
    m = scipy.io.loadmat(path, squeeze_me=True, struct_as_record=False)
    back = dump(path)
    variables = [k for k in m if not k.startswith("__")]
    assert len(variables) == 3, variables
    for key in variables:
        s = m[key]
        mine = back[s.name]
        same(key, mine["values"], s.values)
        text = lambda t: str(t) if np.size(t) else ""  # an empty text loads as an empty array
        assert (s.step, s.start, text(s.unit), text(s.folder)) == (
            mine["step"], mine["start"], mine["unit"], mine["folder"]), key
print("MAT files agree with SciPy")
