# GoogleTest: the installed package for the native tree; for the Windows tree, built from
# the sources Debian's googletest package ships.
include(GoogleTest)
if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
    find_package(GTest REQUIRED)
endif()

# Registers a test program. Natively each test case becomes a CTest test; under Wine the
# list is taken when the tests run (PRE_TEST), through the emulator.
function(sayvane_add_gtest target)
    if(WIN32)
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 ${ARGN})
    else()
        gtest_discover_tests(${target} ${ARGN})
    endif()
endfunction()
