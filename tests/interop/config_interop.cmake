# Settings and exchange files checked by readers outside this project:
# Python's configparser for the INI settings file, jq and Python's json for
# the exchange files. The files come from config_interop_files (a fixture);
# a check is registered only when its reader is installed.

add_executable(config_interop_files ${CMAKE_CURRENT_LIST_DIR}/config_interop_files.cpp)
target_link_libraries(config_interop_files PRIVATE config)
target_include_directories(config_interop_files PRIVATE ${PROJECT_SOURCE_DIR}/tests)

set(_config_interop_dir ${CMAKE_CURRENT_BINARY_DIR}/config_interop)
add_test(NAME config_interop_files
         COMMAND config_interop_files ${_config_interop_dir})
set_tests_properties(config_interop_files PROPERTIES FIXTURES_SETUP config_interop_files)

find_package(Python3 COMPONENTS Interpreter QUIET)
find_program(JQ_EXECUTABLE jq)

if(Python3_Interpreter_FOUND)
  add_test(NAME config_ini_configparser
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/ini_configparser.py
                   ${_config_interop_dir})
  set_tests_properties(config_ini_configparser PROPERTIES FIXTURES_REQUIRED config_interop_files)
endif()

if(Python3_Interpreter_FOUND OR JQ_EXECUTABLE)
  add_test(NAME config_json_readers
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/json_check.sh ${_config_interop_dir})
  set(_env "")
  if(JQ_EXECUTABLE)
    list(APPEND _env "JQ=${JQ_EXECUTABLE}")
  endif()
  if(Python3_Interpreter_FOUND)
    list(APPEND _env "PYTHON=${Python3_EXECUTABLE}")
  endif()
  set_tests_properties(config_json_readers PROPERTIES
    FIXTURES_REQUIRED config_interop_files
    SKIP_RETURN_CODE 77
    ENVIRONMENT "${_env}")
endif()
