# tessaline_test(<name> SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest executable; every test case becomes a ctest test carrying the labels.
# Labels in use: core, threaded (also run under ThreadSanitizer), window (Qt, offscreen),
# integration (real transports), alsa (needs the ALSA sequencer: run in scripts/alsa-vm).
function(tessaline_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT TESSALINE_BUILD_TESTS)
        return()
    endif()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
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
