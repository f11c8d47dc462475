# SPDX-License-Identifier: GPL-3.0-or-later
# The libraries of src/ that use no Qt: the system calls, the amount format, the model and the
# ledger file. Included by the program's build and by the fuzzer's, which has no Qt at all.

set(MONEDARIO_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR})

# monedario_<folder>: the sources of src/<folder>, linking `ARGN` publicly.
function(monedario_library folder)
  file(GLOB sources CONFIGURE_DEPENDS ${MONEDARIO_SOURCE_ROOT}/${folder}/*.cpp)
  add_library(monedario_${folder} STATIC ${sources})
  target_include_directories(monedario_${folder} PUBLIC ${MONEDARIO_SOURCE_ROOT})
  target_link_libraries(monedario_${folder} PUBLIC ${ARGN})
endfunction()

monedario_library(system)
monedario_library(format)
monedario_library(model monedario_format monedario_system)
monedario_library(storage monedario_model monedario_system)
