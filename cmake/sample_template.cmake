# Makes the sample launcher template from the built-in page: the sample's own file gives its
# look (everything but one line "@LAUNCHER_SCRIPT@") and its own functions after that line;
# the line becomes the built-in page's script, whose functions of the same name the sample's
# replace (the later declaration wins). So the sample runs a batch as the built-in page does.
#   cmake -DPAGE=launcher_page.htm -DLOOK=Tonschleuder-Vorlage.in.htm -DOUTPUT=file
#         -P sample_template.cmake
# Both files have CR LF line ends, and so has the sample: they are taken apart at LF alone.
file(READ "${PAGE}" page)
file(READ "${LOOK}" look)
string(REPLACE "\r" "" page "${page}")
string(REPLACE "\r" "" look "${look}")
string(FIND "${page}" "<script>\n" open)
string(FIND "${page}" "</script>" close)
if(open LESS 0 OR close LESS open)
    message(FATAL_ERROR "${PAGE}: no <script> element")
endif()
math(EXPR start "${open} + 9")
math(EXPR length "${close} - ${start}")
string(SUBSTRING "${page}" ${start} ${length} script)
string(FIND "${look}" "\n@LAUNCHER_SCRIPT@\n" marker)
if(marker LESS 0)
    message(FATAL_ERROR "${LOOK}: no line @LAUNCHER_SCRIPT@")
endif()
string(REPLACE "\n@LAUNCHER_SCRIPT@\n" "\n${script}" sample "${look}")
string(REPLACE "\n" "\r\n" sample "${sample}")
file(WRITE "${OUTPUT}.tmp" "${sample}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
