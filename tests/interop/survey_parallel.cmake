# A survey of recordings run through GNU parallel and merged.
add_test(NAME survey_parallel
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/survey_parallel.sh $<TARGET_FILE:vantrel>)
set_tests_properties(survey_parallel PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
