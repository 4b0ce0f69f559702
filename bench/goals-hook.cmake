# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/bench.sh passes this file as CMAKE_PROJECT_INCLUDE. It runs right after project() and defers the
# goal benchmarks (goals.cmake) to the end of the top-level configuration, when every target exists.
set(VTX_BENCH_GOALS_FILE "${CMAKE_CURRENT_LIST_DIR}/goals.cmake")
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL include "${VTX_BENCH_GOALS_FILE}")
