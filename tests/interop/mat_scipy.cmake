# MAT files against SciPy, Debian's python3-scipy (skipped without it): the
# interop files load as SciPy reads them, and a written file reads in SciPy.
add_executable(mat_interop_tool ${CMAKE_CURRENT_LIST_DIR}/mat_interop_tool.cpp)
target_link_libraries(mat_interop_tool PRIVATE korvex)

# Debian's own interpreter, which python3-scipy installs for.
find_program(DEBIAN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(DEBIAN_PYTHON3)
  add_test(NAME mat_scipy
           COMMAND ${DEBIAN_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/mat_scipy.py
                   $<TARGET_FILE:mat_interop_tool> ${PROJECT_SOURCE_DIR}/tests/data/interop/mat)
  set_tests_properties(mat_scipy PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
