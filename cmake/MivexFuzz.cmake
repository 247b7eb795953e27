# mivex_fuzz_target(NAME <name> SOURCES <files...> LIBRARIES <libs...>)
#
# With MIVEX_FUZZ (clang) the target is a libFuzzer program that CTest runs for
# MIVEX_FUZZ_SECONDS; in the normal build it replays its seed corpus in
# corpus/<name>_fuzz beside the calling CMakeLists.txt, so every past finding
# stays a regression test.
function(mivex_fuzz_target)
  cmake_parse_arguments(FUZZ "" "NAME" "SOURCES;LIBRARIES" ${ARGN})
  set(target ${FUZZ_NAME}_fuzz)
  # libFuzzer only reads the seed corpus; it is given second so new inputs go
  # to the scratch folder in the build tree and the source tree stays as committed.
  set(seed_corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${target})
  add_executable(${target} ${FUZZ_SOURCES})
  target_link_libraries(${target} PRIVATE ${FUZZ_LIBRARIES})
  mivex_warnings(${target})

  if(MIVEX_FUZZ)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set(scratch_corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus/${target})
    set(artifacts ${CMAKE_CURRENT_BINARY_DIR}/artifacts/${target})
    file(MAKE_DIRECTORY ${scratch_corpus} ${artifacts})
    add_test(NAME fuzz_${FUZZ_NAME}
             COMMAND ${target} -max_total_time=${MIVEX_FUZZ_SECONDS} -timeout=10
                     -rss_limit_mb=2048 -artifact_prefix=${artifacts}/
                     ${scratch_corpus} ${seed_corpus})
    # Room for libFuzzer to load the corpora and shut down after its time is up.
    math(EXPR fuzz_test_timeout "${MIVEX_FUZZ_SECONDS} + 120")
    set_tests_properties(fuzz_${FUZZ_NAME} PROPERTIES TIMEOUT ${fuzz_test_timeout} LABELS fuzz)
  else()
    target_sources(${target} PRIVATE ${MIVEX_FUZZ_REPLAY_MAIN})
    add_test(NAME fuzz_replay_${FUZZ_NAME} COMMAND ${target} ${seed_corpus})
    set_tests_properties(fuzz_replay_${FUZZ_NAME} PROPERTIES LABELS fuzz)
  endif()
endfunction()
