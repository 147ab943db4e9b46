# Writes a man page for one program from its --help text:
#   cmake -DPROGRAM=path -DNAME=name -DSUMMARY=text -DOUT=file.1 -P manpage.cmake
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR help STREQUAL "")
  set(help "${err}")
endif()
# roff: protect backslashes and leading dots or quotes, keep the layout.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" upper)
file(WRITE ${OUT} ".TH ${upper} 1 \"\" \"Vantrel Guide\" \"User Commands\"\n"
  ".SH NAME\n${NAME} \\- ${SUMMARY}\n"
  ".SH DESCRIPTION\n.nf\n${help}.fi\n"
  ".SH SEE ALSO\nThe documentation in /usr/share/doc/vantrel-guide.\n")
