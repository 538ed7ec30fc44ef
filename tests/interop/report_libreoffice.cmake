# Report entries from the report table, opened in a word processor.
add_executable(report_interop_doc ${CMAKE_CURRENT_LIST_DIR}/report_interop_doc.cpp)
target_link_libraries(report_interop_doc PRIVATE report korvex)
add_test(NAME report_libreoffice
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/report_libreoffice.sh
                 $<TARGET_FILE:report_interop_doc>)
set_tests_properties(report_libreoffice PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 300
  ENVIRONMENT "SOFFICE=${SOFFICE_EXECUTABLE};PDFTOTEXT=${PDFTOTEXT_EXECUTABLE}")
