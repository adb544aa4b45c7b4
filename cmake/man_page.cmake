# Writes a short manual page from a program's --help: run as `cmake -P` with PROGRAM (the built
# program), NAME, SUMMARY, DATE and OUT. The help text goes in verbatim, so the page never
# drifts from what the program says.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc
                ENCODING UTF-8)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" upper)
file(WRITE ${OUT} ".TH ${upper} 1 \"${DATE}\" \"norv ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH SYNOPSIS
.nf
${help}.fi
.SH SEE ALSO
.BR norv (1),
.BR norvconv (1)
")
