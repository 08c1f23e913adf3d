# An endless System Exclusive message into the virtual instrument and into the window over
# JACK: memory stays bounded and what follows is received. ctest floods each for 5 s at about
# 6 MB/s, enough that an unbounded input would grow well past the limit; run sysex_flood.sh by
# hand for the long flood (60 s by default).
if(TESSALINE_BUILD_TESTS AND TARGET tessaline AND TARGET tessaline-cli
        AND TARGET tessaline-virtual-instrument)
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(FLOOD_JACK IMPORTED_TARGET jack)
    endif()
    if(FLOOD_JACK_FOUND)
        add_executable(sysex_flood sysex_flood.cpp)
        target_link_libraries(sysex_flood PRIVATE PkgConfig::FLOOD_JACK)
        add_test(NAME integration.sysex_flood
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/sysex_flood.sh
                $<TARGET_FILE:tessaline-virtual-instrument> $<TARGET_FILE:tessaline-cli>
                $<TARGET_FILE:tessaline> $<TARGET_FILE:sysex_flood> 5 6000000)
        set_tests_properties(integration.sysex_flood PROPERTIES
            LABELS integration
            SKIP_RETURN_CODE 77
            TIMEOUT 300
            RESOURCE_LOCK jack
            ENVIRONMENT "HOME=${home};XDG_RUNTIME_DIR=${home}/runtime;XDG_CONFIG_HOME=${home}/config")
    endif()
endif()
