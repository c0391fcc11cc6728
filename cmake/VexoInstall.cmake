# vexo_install_program(<target>): installs a program into the suite's program folder and
# links it from the bin folder, so the program still finds its translations, manual and
# companions next to itself (QCoreApplication::applicationDirPath follows the link).
function(vexo_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${VEXO_INSTALL_PROGRAM_DIR})
  install(CODE "
    set(prefix \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${prefix}/${CMAKE_INSTALL_BINDIR}\")
    file(RELATIVE_PATH rel \"\${prefix}/${CMAKE_INSTALL_BINDIR}\" \"\${prefix}/${VEXO_INSTALL_PROGRAM_DIR}/${target}\")
    execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink \"\${rel}\" \"\${prefix}/${CMAKE_INSTALL_BINDIR}/${target}\")
  ")
endfunction()
