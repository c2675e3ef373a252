# Joins the launcher page from its parts: each line "@include name@" of the page's markup
# becomes the file of that name beside it, whole.
#   cmake -DINPUT=page/launcher_page.htm -DOUTPUT=launcher_page.htm -P join_page.cmake
# The parts have CR LF line ends, each its last line's too, and so has the page: file(READ)
# drops the CRs, and the page gets them back at each LF.
get_filename_component(folder "${INPUT}" DIRECTORY)
file(READ "${INPUT}" page)
while(page MATCHES "\n@include ([A-Za-z0-9_.]+)@\n")
    set(name "${CMAKE_MATCH_1}")
    file(READ "${folder}/${name}" part)
    string(REPLACE "\n@include ${name}@\n" "\n${part}" page "${page}")
endwhile()
if(page MATCHES "@include ")
    message(FATAL_ERROR "${INPUT}: an include marker not on a line of its own")
endif()
string(REPLACE "\n" "\r\n" page "${page}")
file(WRITE "${OUTPUT}.tmp" "${page}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
