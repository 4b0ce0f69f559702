# SPDX-License-Identifier: GPL-3.0-or-later
# The goal benchmarks: one program per goal, each printing its figures and one GOAL line per goal that
# scripts/bench.sh gathers into its summary. goals-hook.cmake includes this file once the whole project has
# been configured, so every library below exists. Not run by ctest: timings are not test results.
set(vtx_bench_dir ${CMAKE_CURRENT_LIST_DIR})
foreach(goal dcp_click register_bank timed_reads startup)
  add_executable(bench_${goal} ${vtx_bench_dir}/bench_${goal}.cpp ${vtx_bench_dir}/benchprogram.h
                               ${vtx_bench_dir}/benchstats.h)
  target_include_directories(bench_${goal} PRIVATE ${vtx_bench_dir})
  target_link_libraries(bench_${goal} PRIVATE vtx_dcp vtx_regtool vtx_transferlog vtx_sim Qt6::Widgets vtx_warnings)
  set_target_properties(bench_${goal} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
