# Writes the server's manual page: the page in PAGE with its options section
# (@OPTIONS@) filled from the --help text of the binary SERVER, so that the
# page lists exactly the options of the binary it ships with.
#   cmake -DSERVER=... -DPAGE=... -DVERSION=... -DOUTPUT=... -P servermanual.cmake
execute_process(COMMAND ${SERVER} --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "${SERVER} --help failed (${result})")
endif()
# roff: backslashes escaped, and no line may start with a control character
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
set(OPTIONS ".nf\n${help}.fi")
configure_file(${PAGE} ${OUTPUT} @ONLY)
