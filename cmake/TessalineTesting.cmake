# GoogleTest for a build whose toolchain has none of its own (the windows preset): built here
# from its sources with the same toolchain, without our warnings.
set(TESSALINE_GTEST_SOURCE_DIR "" CACHE PATH "GoogleTest sources to build instead of finding it")
if(TESSALINE_BUILD_TESTS AND TESSALINE_GTEST_SOURCE_DIR AND NOT TARGET GTest::gtest)
    get_directory_property(_tessaline_options COMPILE_OPTIONS)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TESSALINE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${_tessaline_options}")
endif()

# tessaline_test(<name> SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest executable; every test case becomes a ctest test carrying the labels. Where the
# tests run in an emulator (Wine), whose every start costs seconds, the program is one test.
# Labels in use: core, threaded (also run under ThreadSanitizer), window (Qt, offscreen),
# integration (real transports), alsa (needs the ALSA sequencer: run in scripts/alsa-vm).
function(tessaline_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT TESSALINE_BUILD_TESTS)
        return()
    endif()
    if(NOT TARGET GTest::gtest)
        find_package(GTest REQUIRED)
    endif()
    include(GoogleTest)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300)
        return()
    endif()
    set(home ${CMAKE_BINARY_DIR}/test-home)
    file(MAKE_DIRECTORY ${home}/runtime)
    file(CHMOD ${home}/runtime PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        TEST_LIST ${name}_TESTS
        PROPERTIES TIMEOUT 120)
    # gtest_discover_tests flattens list values in PROPERTIES, so labels and the environment
    # are set once the test list is known.
    set(props ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
    set(env "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_RUNTIME_DIR=${home}/runtime;XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data")
    file(WRITE ${props}
        "foreach(test IN LISTS ${name}_TESTS)\n"
        "  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${T_LABELS}\" ENVIRONMENT \"${env}\")\n"
        "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props})
endfunction()
