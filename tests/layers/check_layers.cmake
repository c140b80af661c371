cmake_minimum_required(VERSION 3.25)
# The layers of src/ and the directions in which they may include each
# other, lowest first. A folder may include its own headers and those of
# the folders listed for it; Qt headers are included only in qt/. A folder
# of src/ that is missing from the table fails too, so that a new folder
# takes its place in the order before it is used.
#
#   cmake -DSRC=<src folder> -P check_layers.cmake
set(LAYERS platform game scorefile dialogs player driver net qt)
set(MAY_INCLUDE_platform "")
set(MAY_INCLUDE_game "platform")
set(MAY_INCLUDE_scorefile "platform;game")
set(MAY_INCLUDE_dialogs "platform;game")
set(MAY_INCLUDE_player "platform;game")
set(MAY_INCLUDE_driver "platform;game;scorefile;dialogs;player")
set(MAY_INCLUDE_net "platform;game;scorefile;dialogs;player;driver")
set(MAY_INCLUDE_qt "platform;game;scorefile;dialogs;player;driver;net")

file(GLOB folders LIST_DIRECTORIES true RELATIVE "${SRC}" "${SRC}/*")
set(problems "")
foreach(folder IN LISTS folders)
    if(NOT IS_DIRECTORY "${SRC}/${folder}")
        continue()
    endif()
    if(NOT folder IN_LIST LAYERS)
        list(APPEND problems "src/${folder} has no place in the layers")
        continue()
    endif()
    file(GLOB_RECURSE files "${SRC}/${folder}/*.h" "${SRC}/${folder}/*.cpp")
    foreach(f IN LISTS files)
        file(RELATIVE_PATH rel "${SRC}" "${f}")
        file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line IN LISTS includes)
            # Qt's headers: <QLabel>, <QtWidgets/QLabel>, <qglobal.h>.
            if(line MATCHES "#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|q[a-z0-9_]+\\.h)" AND NOT folder STREQUAL "qt")
                list(APPEND problems "src/${rel}: a Qt header below qt/: ${line}")
            endif()
            # The router's libraries, like the toolkit, only in qt/.
            if(line MATCHES "#[ \t]*include[ \t]*[<\"](miniupnpc/|natpmp\\.h)" AND NOT folder STREQUAL "qt")
                list(APPEND problems "src/${rel}: a router library below qt/: ${line}")
            endif()
            # Any form: "driver/X.h", <driver/X.h>, "../driver/X.h".
            if(line MATCHES "#[ \t]*include[ \t]*[<\"](\\.\\./)*([A-Za-z_]+)/")
                set(target "${CMAKE_MATCH_2}")
                if(NOT target STREQUAL folder AND IS_DIRECTORY "${SRC}/${target}"
                   AND NOT target IN_LIST MAY_INCLUDE_${folder})
                    list(APPEND problems "src/${rel}: ${folder}/ may not include ${target}/")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()
if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
