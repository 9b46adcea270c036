# Writes the package's copyright file: TEMPLATE, then the "License: OFL-1.1" paragraph of
# FONT_COPYRIGHT. Usage: cmake -DTEMPLATE=... -DFONT_COPYRIGHT=... -DOUTPUT=... -P make_copyright.cmake
file(READ ${TEMPLATE} text)
file(READ ${FONT_COPYRIGHT} font)
string(REGEX MATCH "\nLicense: OFL-1\\.1\n( [^\n]*\n)+" paragraph "${font}")
if(paragraph STREQUAL "")
    message(FATAL_ERROR "no OFL-1.1 licence text in ${FONT_COPYRIGHT}")
endif()
string(SUBSTRING "${paragraph}" 1 -1 paragraph)
file(WRITE ${OUTPUT} "${text}${paragraph}")
