# Installing Mivex as a desktop program: the five programs and the modules
# they open, a manual page for each, the help page, the desktop entry,
# the icon, the AppStream metadata and the systemd user unit of the watch.
# The program finds its help page at <bindir>/../share/mivex/help, so the
# layout below is the one the build tree mirrors.
include(GNUInstallDirs)

set(MIVEX_PROGRAMS mivex mivex-cli mivex-pdu mivex-contacts mivex-phonesim)
install(TARGETS ${MIVEX_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The modules the programs open when first needed: the vCard reader when a
# contacts file must be parsed, the ModemManager link when a run or list
# needs it, the socket between copies of the desktop program after its first
# paint.
install(TARGETS mivex_vcard mivex_modem_module mivex_instance_module
        LIBRARY DESTINATION ${MIVEX_MODULE_INSTALL_DIRECTORY})

install(FILES ${PROJECT_SOURCE_DIR}/resources/help/Mivex.htm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mivex/help)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.mivex.Mivex.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.mivex.Mivex.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/mivex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The user unit that keeps `mivex-cli watch` running
# (systemctl --user enable --now mivex-watch). Written at install time so that
# it names the mivex-cli of the prefix given then; share/systemd/user is on
# the user manager's search path for /usr, /usr/local and ~/.local alike.
install(CODE "
  file(READ \"${PROJECT_SOURCE_DIR}/resources/systemd/mivex-watch.service.in\" unit)
  string(REPLACE \"@BINDIR@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\" unit \"\${unit}\")
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/systemd/user\")
  message(STATUS \"Installing: \${folder}/mivex-watch.service\")
  file(WRITE \"\${folder}/mivex-watch.service\" \"\${unit}\")
")

# Each manual page is made from the program's own --help, so the two never
# disagree. The program runs by its bare name (its folder first on PATH) so
# the usage lines name it as a user types it, with HOME as "~" so defaults
# read "~/.local/share/mivex" rather than the home of whoever built it, and
# offscreen so the desktop program needs no display.
find_program(HELP2MAN help2man REQUIRED)
set(mivex_name "desktop SMS client for a GSM phone or USB modem")
set(mivex-cli_name "send and receive SMS through a GSM phone from the command line")
set(mivex-pdu_name "decode SMS-DELIVER and encode SMS-SUBMIT PDUs")
set(mivex-contacts_name "show the address book as Mivex reads it")
set(mivex-phonesim_name "simulated GSM phone on a pseudo-terminal")
set(man_pages)
foreach(program IN LISTS MIVEX_PROGRAMS)
  set(page ${PROJECT_BINARY_DIR}/share/man/man1/${program}.1)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/share/man/man1
    COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_DATA_HOME "HOME=~"
            QT_QPA_PLATFORM=offscreen "PATH=$<TARGET_FILE_DIR:${program}>:$ENV{PATH}"
            ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
                        "--name=${${program}_name}" --output=${page} ${program}
    DEPENDS ${program}
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  list(APPEND man_pages ${page})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
