# cmake --install: the programs, their manual pages, and for the window its desktop entry,
# AppStream metainfo and icons in the hicolor theme. Included once every folder has made its
# targets; the Debian package (Package.cmake) takes exactly these files.
include(GNUInstallDirs)

# Read by the generated install scripts: directories the install creates get the usual
# permissions whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(install_gen ${PROJECT_BINARY_DIR}/install)
find_program(TESSALINE_GZIP gzip)

# tessaline_install_compressed(<source> <name> <destination>): installs <source> as <name>,
# compressed with gzip -9n as Debian wants for manual pages and the changelog (no name, no
# time stamp inside: the same bytes on every build). Uncompressed where there is no gzip.
set(compressed_files)
function(tessaline_install_compressed source name destination)
    if(NOT TESSALINE_GZIP)
        install(FILES ${source} DESTINATION ${destination} RENAME ${name})
        return()
    endif()
    set(copy ${install_gen}/compressed/${destination}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${TESSALINE_GZIP} -9nf ${copy}
        DEPENDS ${source}
        VERBATIM)
    set(compressed_files ${compressed_files} ${copy}.gz PARENT_SCOPE)
    install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

foreach(program tessaline tessaline-cli tessaline-virtual-instrument)
    if(NOT TARGET ${program})
        continue()
    endif()
    # No RPATH in the installed programs: everything of ours is linked statically, the rest
    # is found where the system keeps it.
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    configure_file(${PROJECT_SOURCE_DIR}/res/man/${program}.1.in ${install_gen}/${program}.1 @ONLY)
    tessaline_install_compressed(${install_gen}/${program}.1 ${program}.1
        ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

if(TARGET tessaline)
    configure_file(${PROJECT_SOURCE_DIR}/res/desktop/org.example.Tessaline.desktop.in
        ${install_gen}/${TESSALINE_APP_ID}.desktop @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/res/desktop/org.example.Tessaline.metainfo.xml.in
        ${install_gen}/${TESSALINE_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${install_gen}/${TESSALINE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${install_gen}/${TESSALINE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
if(TARGET tessaline_icons)
    get_target_property(icon_theme_dir tessaline_icons ICON_THEME_DIR)
    install(DIRECTORY ${icon_theme_dir} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# The copyright note and the changelog, where Debian looks for them (share/doc/<package>).
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessaline)
install(FILES ${PROJECT_SOURCE_DIR}/res/package/copyright DESTINATION ${doc_dir})
execute_process(COMMAND date -u -R -d "${TESSALINE_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE TESSALINE_RELEASE_DATE_RFC2822
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE date_status
    ERROR_QUIET)
if(NOT date_status EQUAL 0)
    set(TESSALINE_RELEASE_DATE_RFC2822 ${TESSALINE_RELEASE_DATE})
endif()
configure_file(${PROJECT_SOURCE_DIR}/res/package/changelog.in ${install_gen}/changelog @ONLY)
tessaline_install_compressed(${install_gen}/changelog changelog ${doc_dir})

add_custom_target(tessaline_compressed_docs ALL DEPENDS ${compressed_files})

include(Package)
