# tabulon_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI|XVFB])
# One GoogleTest executable, its tests registered with CTest one by one. GUI tests get a
# QApplication on the offscreen platform and run serially; XVFB tests get one on a private X
# server of their own, for real key and mouse events.
function(tabulon_add_test name)
    cmake_parse_arguments(T "GUI;XVFB" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_XVFB)
        target_link_libraries(${name} PRIVATE ${T_LIBS} tabulon_xvfb_test_main GTest::gtest Qt6::Widgets)
        set(props ENVIRONMENT "QT_QPA_PLATFORM=xcb" RUN_SERIAL TRUE)
    elseif(T_GUI)
        target_link_libraries(${name} PRIVATE ${T_LIBS} tabulon_gui_test_main GTest::gtest Qt6::Widgets)
        set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen" RUN_SERIAL TRUE)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
        set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
