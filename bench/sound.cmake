# The cue onset benchmark; included from bench/CMakeLists.txt. It shares the
# listening code of the sound tests, so it needs BUILD_TESTING.
if(TARGET test_support)
  add_executable(bench_cue_onset ${CMAKE_CURRENT_LIST_DIR}/cue_onset.cpp)
  target_link_libraries(bench_cue_onset PRIVATE sound test_support cue_synth Qt6::Core)
  target_compile_definitions(bench_cue_onset PRIVATE TAVRIN_CUE_DIR="${TAVRIN_CUE_DIR}")
endif()
if(TARGET test_support)
  add_executable(bench_chime_after_start ${CMAKE_CURRENT_LIST_DIR}/chime_after_start.cpp)
  target_link_libraries(bench_chime_after_start PRIVATE test_support cue_synth Qt6::Core)
  add_dependencies(bench_chime_after_start tavrin)
endif()
