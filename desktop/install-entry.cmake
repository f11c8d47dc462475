# SPDX-License-Identifier: GPL-3.0-or-later
# Run by "cmake --install": writes the desktop entry with the installed program's full path, so
# that it works for any prefix, a folder of the user's own included.
foreach(kind BINDIR DATADIR)
  set(dir "${MONEDARIO_${kind}}")
  if(NOT IS_ABSOLUTE "${dir}")
    set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  set(full_${kind} "${dir}")
endforeach()
set(MONEDARIO_PROGRAM "${full_BINDIR}/monedario")
# Quoted, so that a path with blanks stays one argument; "%" is the entry's field code sign.
string(REPLACE "%" "%%" exec_path "${MONEDARIO_PROGRAM}")
set(MONEDARIO_EXEC "\"${exec_path}\"")
configure_file("${MONEDARIO_ENTRY_TEMPLATE}" "${MONEDARIO_ENTRY_WORK}/${MONEDARIO_APP_ID}.desktop"
               @ONLY)
file(INSTALL "${MONEDARIO_ENTRY_WORK}/${MONEDARIO_APP_ID}.desktop"
     DESTINATION "${full_DATADIR}/applications")
