# Runs scripts/CheckNaming.cmake on a made-up tree and compares the lines it reports with the
# lines that break the style: a check that flagged nothing, or flagged calls, would pass it.
#
#   cmake -DROOT=<project root> -DWORK=<scratch folder> -P tests/NamingCheckTest.cmake

cmake_minimum_required(VERSION 3.25)

# Each case: "bad" or "ok", then one line of a source file.
set(cases
    "bad|QString Expand(const QString& tmpl)@SEMI@"
    "bad|QString ArchiveName::Expand(const QString& tmpl) {"
    "bad|    static bool IsKnown(int x)@SEMI@"
    "bad|    std::map<int, QString> Table() const@SEMI@"
    "bad|    const QByteArray& Bytes() const { return m_bytes@SEMI@ }"
    "bad|    int* port_ = nullptr@SEMI@"
    "bad|    QString where_@SEMI@"
    "bad|#include \"Sample.h\""
    "bad|#include \"../acquisition/Sample.h\""
    "ok|#include \"acquisition/Sample.h\""
    "ok|#include \"ui_SampleDlg.h\""
    "ok|#include \"Sample.moc\""
    "ok|    void OnConnect()@SEMI@"
    "ok|void CMainFrame::OnUpdateConnect(QAction* action) {"
    "ok|CMainFrame::CMainFrame(QWidget* parent)"
    "ok|    explicit Sample(int x)@SEMI@"
    "ok|    virtual ~Sample()@SEMI@"
    "ok|    void SetUp() override@SEMI@"
    "ok|TEST(ArchiveName, ExpandsEveryField) {"
    "ok|    return Expand(tmpl, fields)@SEMI@"
    "ok|    const QString name = ArchiveName::Expand(tmpl, fields)@SEMI@"
    "ok|    Expand(tmpl, fields)@SEMI@"
    "ok|    auto* sample = new Sample(1)@SEMI@"
    "ok|    emit Changed()@SEMI@"
    "ok|// QString Expand(const QString& tmpl)@SEMI@"
    "ok|    const char* text = \"int Expand(\"@SEMI@"
    "ok|    QString expand(const QString& tmpl) const@SEMI@"
    "ok|    int m_port = 0@SEMI@")

file(REMOVE_RECURSE "${WORK}")
set(text "")
set(expected "")
set(number 0)
foreach(c IN LISTS cases)
    math(EXPR number "${number} + 1")
    string(REGEX MATCH "^(bad|ok)\\|(.*)$" _ "${c}")
    string(REPLACE "@SEMI@" ";" line "${CMAKE_MATCH_2}")
    string(APPEND text "${line}\n")
    if(CMAKE_MATCH_1 STREQUAL "bad")
        list(APPEND expected "acquisition/Sample.cpp:${number}")
    endif()
endforeach()
file(WRITE "${WORK}/acquisition/Sample.cpp" "${text}")
file(WRITE "${WORK}/acquisition/Sample.h" "")

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${ROOT}/scripts/CheckNaming.cmake
    RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
string(REGEX MATCHALL "acquisition/Sample\\.(cpp|h):[0-9]+" reported "${output}")
if(result EQUAL 0 OR NOT reported STREQUAL expected)
    list(JOIN expected ", " want)
    list(JOIN reported ", " got)
    message(FATAL_ERROR "CheckNaming reported\n  ${got}\nbut should report\n  ${want}\n${output}")
endif()
message(STATUS "CheckNaming flags the ${number} sample lines as it should")
