# The ALSA sequencer for real. These tests run inside the project's sequencer machine
# (scripts/alsa-vm; scripts/test boots one machine for all of them with `ctest -L alsa`);
# anywhere without /dev/snd/seq they skip and say so. One at a time: the instruments they start
# are found by their client names.
set(alsa_tests)
if(TEST integration.alsa_midi_through_burst)
    list(APPEND alsa_tests integration.alsa_midi_through_burst)
endif()
if(TESSALINE_BUILD_TESTS AND TARGET tessaline-cli AND TARGET tessaline-virtual-instrument
        AND TARGET tessaline_platform_rtmidi)
    foreach(name alsa_round_trip alsa_stress alsa_device_watch)
        add_test(NAME integration.${name}
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/${name}.sh
                $<TARGET_FILE:tessaline-virtual-instrument> $<TARGET_FILE:tessaline-cli>)
        list(APPEND alsa_tests integration.${name})
    endforeach()
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(FLOOD_ALSA IMPORTED_TARGET alsa)
    endif()
    if(FLOOD_ALSA_FOUND)
        add_executable(alsa_sysex_flood alsa_sysex_flood.cpp)
        target_link_libraries(alsa_sysex_flood
            PRIVATE tessaline_platform_rtmidi PkgConfig::FLOOD_ALSA)
        add_test(NAME integration.alsa_sysex_flood
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/alsa_sysex_flood.sh
                $<TARGET_FILE:tessaline-virtual-instrument> $<TARGET_FILE:tessaline-cli>
                $<TARGET_FILE:alsa_sysex_flood> 5 3000000)
        list(APPEND alsa_tests integration.alsa_sysex_flood)
    endif()
endif()
# The Windows command line under Wine against the Linux instrument: the windows preset builds
# the program (it skips without one).
if(TESSALINE_BUILD_TESTS AND TARGET tessaline-virtual-instrument AND NOT CMAKE_CROSSCOMPILING)
    set(TESSALINE_WINDOWS_CLI ${PROJECT_SOURCE_DIR}/build/windows/bin/tessaline-cli.exe
        CACHE FILEPATH "The Windows tessaline-cli.exe that the Wine test runs")
    add_test(NAME integration.alsa_wine_copy
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/alsa_wine_copy.sh
            $<TARGET_FILE:tessaline-virtual-instrument> ${TESSALINE_WINDOWS_CLI}
            ${PROJECT_SOURCE_DIR}/scripts/wine-run)
    list(APPEND alsa_tests integration.alsa_wine_copy)
endif()
if(alsa_tests)
    set_tests_properties(${alsa_tests} PROPERTIES
        LABELS "integration;alsa"
        SKIP_RETURN_CODE 77
        TIMEOUT 300
        RESOURCE_LOCK alsa
        ENVIRONMENT "HOME=${home};XDG_RUNTIME_DIR=${home}/runtime;XDG_CONFIG_HOME=${home}/config")
endif()
if(TEST integration.alsa_wine_copy)
    # Every start of a Windows program in the emulated machine takes seconds.
    set_tests_properties(integration.alsa_wine_copy PROPERTIES
        LABELS "integration;alsa;windows" TIMEOUT 600)
endif()
