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
    "ok|    int m_port = 0@SEMI@"
    "bad|    QString m_strTitle@SEMI@"
    "bad|    QLineEdit* m_pFind = nullptr@SEMI@"
    "bad|    std::atomic<int> m_bDone{0}@SEMI@"
    "bad|static QString g_strPath@SEMI@"
    "ok|    std::atomic<int> m_bStop{0}@SEMI@"
    "ok|    QString m_pathName@SEMI@"
    "ok|    return m_pView@SEMI@")

# Each case: the form file, "bad" or "ok", then one line of it. A form is its file's first widget.
set(ui_cases
    "Sample|bad|<widget class=\"QDialog\" name=\"IDD_SAMPLE\">"
    "Sample|ok|<layout class=\"QVBoxLayout\" name=\"layout\">"
    "Sample|bad|<widget class=\"QLineEdit\" name=\"IDC_SAMPLE_NAME\">"
    "Sample|ok|<widget class=\"QComboBox\" name=\"IDC_PORT\">"
    "Sample|ok|<widget class=\"QLabel\" name=\"IDC_STATIC_1002\">"
    "Sample|ok|<widget class=\"QPushButton\" name=\"IDOK\">"
    "Sample|bad|<spacer name=\"Gap_1\">"
    "Sample|ok|<property name=\"Text_1\">"
    "Settings|ok|<widget class=\"QDialog\" name=\"IDD_SETTINGS\">"
    "Settings|bad|<widget class=\"QLabel\" name=\"Caption\">"
    "Sites|ok|<widget class=\"QDialog\" name=\"SitesDialog\">"
    "Sites|bad|<widget class=\"QLabel\" name=\"IDD_SETTINGS_LABEL\">")

# The kept names the check is given: all but one are used by the lines above.
set(kept "OnConnect,OnUpdateConnect,m_bStop,m_pView,LongGone")

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
file(WRITE "${WORK}/res/CommandIds.h"
    "constexpr unsigned IDD_SETTINGS = 132;\nconstexpr unsigned IDC_PORT = 1000;\n")

foreach(form Sample Settings Sites)
    set(text "")
    set(number 0)
    foreach(c IN LISTS ui_cases)
        string(REGEX MATCH "^([A-Za-z]+)\\|(bad|ok)\\|(.*)$" _ "${c}")
        if(CMAKE_MATCH_1 STREQUAL form)
            math(EXPR number "${number} + 1")
            string(APPEND text "${CMAKE_MATCH_3}\n")
            if(CMAKE_MATCH_2 STREQUAL "bad")
                list(APPEND expected "acquisition/${form}.ui:${number}")
            endif()
        endif()
    endforeach()
    file(WRITE "${WORK}/acquisition/${form}.ui" "${text}")
endforeach()
list(APPEND expected "kept name LongGone")

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -DKEPT_NAMES=${kept}
    -P ${ROOT}/scripts/CheckNaming.cmake
    RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
string(REGEX MATCHALL "acquisition/[A-Za-z]+\\.(cpp|h|ui):[0-9]+|kept name [A-Za-z_]+" reported
    "${output}")
if(result EQUAL 0 OR NOT reported STREQUAL expected)
    list(JOIN expected ", " want)
    list(JOIN reported ", " got)
    message(FATAL_ERROR "CheckNaming reported\n  ${got}\nbut should report\n  ${want}\n${output}")
endif()
list(LENGTH cases sources)
list(LENGTH ui_cases forms)
message(STATUS "CheckNaming flags the ${sources} source lines, ${forms} form lines and the kept names as it should")
