# Writes OUT, a C++ source holding the bytes of every file in FILES, for
# apps/vantrel/demo_files.h.
set(body "")
set(table "")
set(i 0)
foreach(f IN LISTS FILES)
  get_filename_component(name "${f}" NAME)
  file(READ "${f}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kFile${i}[] = {${bytes} 0};\n")
  string(APPEND table "    {\"${name}\", {reinterpret_cast<const char*>(kFile${i}), ${size}}},\n")
  math(EXPR i "${i} + 1")
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated from data/demo by embed_files.cmake; do not edit.\n"
"#include \"apps/vantrel/demo_files.h\"\n\n"
"namespace vantrel {\n\nnamespace {\n${body}\n"
"const DemoFile kFiles[] = {\n${table}};\n}  // namespace\n\n"
"std::span<const DemoFile> DemoFiles() { return kFiles; }\n\n}  // namespace vantrel\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
