# Checks that a module exports exactly the entry points: every defined dynamic symbol listed
# by `nm -D --defined-only` must be one of them, and each of them must be there.
# Usage: cmake -DMODULE=<path> -DNM=<nm> -P check_exports.cmake
set(expected GetPluginFactory InitDll ExitDll bundleEntry bundleExit ModuleEntry ModuleExit)

execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(found "")
set(unexpected "")
foreach(line ${lines})
  # "<address> <type> <name>[@version]"
  if(line MATCHES "^[0-9a-fA-F]* +[A-Za-z] +([^ @]+)")
    set(name ${CMAKE_MATCH_1})
    list(FIND expected ${name} index)
    if(index EQUAL -1)
      list(APPEND unexpected ${name})
    else()
      list(APPEND found ${name})
    endif()
  endif()
endforeach()

set(missing "")
foreach(name ${expected})
  list(FIND found ${name} index)
  if(index EQUAL -1)
    list(APPEND missing ${name})
  endif()
endforeach()

if(unexpected OR missing)
  message(FATAL_ERROR "Exported symbols wrong. Unexpected: [${unexpected}] Missing: [${missing}]")
endif()
message(STATUS "Exports are exactly: ${expected}")
