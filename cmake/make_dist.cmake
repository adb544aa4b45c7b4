# Assembles the distribution folder: run as `cmake -P` with DIST (the folder), SOURCE (the
# checkout), PROGRAMS (the built files, ";"-separated), SETUP (the installer) and MANUAL (the
# built manual). The INF's file list is written from what the folder holds, so it never drifts
# from it: File0 is the editor, the rest follow in name order; setup and its INF are copied by
# their own steps.
file(REMOVE_RECURSE ${DIST})
file(MAKE_DIRECTORY ${DIST})
foreach(f ${PROGRAMS})
  file(COPY ${f} DESTINATION ${DIST})
endforeach()
foreach(t NorvOrg.INI NorvOrg.KWD NorvOrg.DAT norv-script.xml)
  file(COPY ${SOURCE}/data/${t} DESTINATION ${DIST})
endforeach()
# The desktop face's icon and manual, when they are there.
if(EXISTS ${SOURCE}/data/icons/norv.svg)
  file(COPY ${SOURCE}/data/icons/norv.svg DESTINATION ${DIST})
endif()
# The manual as the build made it (its page of keys is written from the command table).
if(MANUAL AND IS_DIRECTORY ${MANUAL})
  file(COPY ${MANUAL}/ DESTINATION ${DIST}/manual)
elseif(IS_DIRECTORY ${SOURCE}/doc/manual)
  file(COPY ${SOURCE}/doc/manual DESTINATION ${DIST})
endif()
file(GLOB_RECURSE shipped RELATIVE ${DIST} ${DIST}/*)
list(REMOVE_ITEM shipped norv)
list(SORT shipped)
file(READ ${SOURCE}/data/setup.INF.in inf)
string(APPEND inf "File0=norv\n")
set(n 1)
foreach(f ${shipped})
  string(APPEND inf "File${n}=${f}\n")
  math(EXPR n "${n} + 1")
endforeach()
file(COPY ${SETUP} DESTINATION ${DIST})
file(WRITE ${DIST}/setup.INF "${inf}")
