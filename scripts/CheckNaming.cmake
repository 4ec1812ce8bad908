# Checks the names and includes of the sources against the house style:
#  - a function or signal is named lowerCamel, unless it is one of the kept names below;
#  - no data member ends in "_", and none carries its type in a prefix (m_pView, m_strTitle,
#    g_bDone) unless it is a kept name;
#  - a project header is included by its path from the project root ("archive/ArchiveName.h");
#  - in a .ui file the form is named like a class and every other object lowerCamel, unless the
#    name is a classic resource id: IDOK, IDCANCEL, IDC_STATIC..., or an IDD_/IDC_ id that
#    res/CommandIds.h declares (so a new dialog cannot invent ids the classic ones do not have);
#  - every kept name is still used by the code, so the list holds no names nobody reads.
#
#   cmake -DROOT=<project root> -P scripts/CheckNaming.cmake
#
# KEPT_NAMES (comma-separated) replaces the list below, for the check's own test.
#
# Exits with an error listing file:line for each offence. The check reads lines, not a parse
# tree: a declaration is "type Name(" at the start of a line (after comments and literals are
# cut out), a definition "type Scope::Name(".

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
    get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(folders acquisition app archive collect files forms frames modem platform ports res settings
    tools sites index bench tests)

# The original program's classes, members and functions that keep their names, so that a reader
# holding the operator's documentation finds them, with the framework methods they override or
# call as members (the system's own calls, CreateFileA and the like, are not among them).
set(kept_names
    AcquisitionThreadProc
    CAboutDlg
    CChildFrame
    CCommandLineInfo
    CMainFrame
    CSettingsDlg
    CTabulonPlusApp
    CTabulonPlusDoc
    CTabulonPlusView
    DeviceType
    DoModal
    ExitInstance
    GetActiveView
    InitInstance
    IsModified
    OnAppAbout
    OnConnect
    OnCreate
    OnFileNew
    OnFileOpen
    OnFilePrint
    OnFilePrintPreview
    OnFilePrintSetup
    OnHelp
    OnInitialUpdate
    OnNewDocument
    OnStopReceive
    OnTimer
    OnUpdateConnect
    OnUpdateStopReceive
    ParseCommandLine
    ProcessShellCommand
    ReadSettingsFile
    ReceiveControl
    SetModifiedFlag
    WriteSettingsFile
    g_strIniPath
    m_bAbort
    m_bReceiving
    m_bStop
    m_dlgSettings
    m_nDeviceType
    m_nRate
    m_pFont
    m_pMainFrame
    m_pMainWnd
    m_pReceivingFrame
    m_pView
    m_rectMargin
    m_strDevice
    m_strPort
    m_strRate
    m_wndProgressStrip
    m_wndStatusBar
    m_wndToolBar
    theApp
)
if(DEFINED KEPT_NAMES)
    string(REPLACE "," ";" kept_names "${KEPT_NAMES}")
endif()

# Names gtest calls by their fixed spelling.
set(gtest_names PrintTo SetUp SetUpTestSuite TearDown TearDownTestSuite TestBody)

# Words that may stand before a name at the start of a line without making it a declaration.
set(not_a_type "return|new|delete|throw|else|case|goto|co_return|co_yield|co_await|emit|Q_EMIT|sizeof|operator|using|typedef|do|and|or|not")
# Words that may stand before a constructor's name.
set(specifiers "explicit|inline|constexpr|consteval|virtual|static|friend|Q_INVOKABLE|Q_SIGNAL|Q_SLOT|extern")

set(id "[A-Za-z_][A-Za-z0-9_]*")
# A return type and its specifiers, then the name, possibly qualified, then "(".
set(function_re "^[ \t]*([A-Za-z_][A-Za-z0-9_:<>, \t*&]*[A-Za-z0-9_>*&])[ \t*&]+((${id}::)*)([A-Z][A-Za-z0-9_]*)[ \t]*\\(")
# A type and a name ending in "_", then what may follow a member's name.
set(member_re "^[ \t]*([A-Za-z_][A-Za-z0-9_:<>, \t*&]*[A-Za-z0-9_>*&])[ \t*&]+([A-Za-z][A-Za-z0-9_]*_)[ \t]*(=|@SEMI@|{|@LB@)")
set(include_re "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
# A type and a member or global whose name starts with a type's letters (m_p, m_str, m_b, g_n...)
# before a capital, then what may follow its name.
set(type_prefixes "b|by|c|ch|d|dw|f|fn|h|i|l|lp|lpsz|n|p|pp|psz|pt|rc|rect|s|str|sz|u|ul|w|wnd|dlg")
set(typed_re "^[ \t]*([A-Za-z_][A-Za-z0-9_:<>, \t*&]*[A-Za-z0-9_>*&])[ \t*&]+([mg]_(${type_prefixes})[A-Z][A-Za-z0-9_]*)[ \t]*(=|@SEMI@|{|@LB@)")

set(files)
foreach(folder ${folders})
    if(IS_DIRECTORY "${ROOT}/${folder}")
        file(GLOB_RECURSE found RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
        list(FILTER found EXCLUDE REGEX "(^|/)build[^/]*/")
        list(APPEND files ${found})
    endif()
endforeach()
list(SORT files)

# `line` without comments, string and character literals; `in_comment` carries an open /* */
# from one line to the next.
macro(strip_line)
    if(in_comment)
        string(FIND "${line}" "*/" at)
        if(at EQUAL -1)
            set(line "")
        else()
            math(EXPR at "${at} + 2")
            string(SUBSTRING "${line}" ${at} -1 line)
            set(in_comment FALSE)
        endif()
    endif()
    string(REGEX REPLACE "R\"[A-Za-z_]*\\(.*\\)[A-Za-z_]*\"" "\"\"" line "${line}")
    string(REGEX REPLACE "'(\\\\.|[^'\\\\])'" "''" line "${line}")
    string(REGEX REPLACE "\"(\\\\.|[^\"\\\\])*\"" "\"\"" line "${line}")
    string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " line "${line}")
    string(REGEX REPLACE "//.*" "" line "${line}")
    string(FIND "${line}" "/*" at)
    if(at GREATER -1)
        string(SUBSTRING "${line}" 0 ${at} line)
        set(in_comment TRUE)
    endif()
endmacro()

set(errors)
set(unused_kept ${kept_names})
foreach(path ${files})
    file(READ "${ROOT}/${path}" content)
    # One list element per line: the list separator and brackets are masked first.
    string(REPLACE ";" "@SEMI@" content "${content}")
    string(REPLACE "[" "@LB@" content "${content}")
    string(REPLACE "]" "@RB@" content "${content}")
    string(REPLACE "\\" "@BS@" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    set(in_comment FALSE)
    set(code "")
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        string(REPLACE "@BS@" "\\" line "${line}")
        if(line MATCHES "${include_re}")
            set(target "${CMAKE_MATCH_1}")
            if(NOT target MATCHES "(^|/)ui_[^/]*\\.h$|\\.moc$|(^|/)moc_" AND NOT EXISTS "${ROOT}/${target}")
                list(APPEND errors "${path}:${number}: #include \"${target}\" is not written from the project root")
            endif()
            continue()
        endif()
        strip_line()
        string(APPEND code " ${line}")
        if(line MATCHES "${function_re}")
            set(prefix "${CMAKE_MATCH_1}")
            set(scope "${CMAKE_MATCH_2}")
            set(name "${CMAKE_MATCH_4}")
            string(REGEX REPLACE "(^|[^A-Za-z0-9_])(${specifiers})([^A-Za-z0-9_]|$)" "\\1\\3" type "${prefix}")
            string(STRIP "${type}" type)
            string(REGEX MATCH "(^|[^A-Za-z0-9_])(${not_a_type})([^A-Za-z0-9_]|$)" statement "${prefix}")
            set(class "")
            if(scope MATCHES "(${id})::$")
                set(class "${CMAKE_MATCH_1}")
            endif()
            if(NOT type STREQUAL "" AND NOT statement AND NOT name STREQUAL class
               AND NOT name IN_LIST kept_names AND NOT name IN_LIST gtest_names)
                list(APPEND errors "${path}:${number}: function ${scope}${name} is not lowerCamel")
            endif()
        endif()
        if(line MATCHES "${member_re}")
            set(prefix "${CMAKE_MATCH_1}")
            set(name "${CMAKE_MATCH_2}")
            string(REGEX MATCH "(^|[^A-Za-z0-9_])(${not_a_type})([^A-Za-z0-9_]|$)" statement "${prefix}")
            if(NOT statement)
                list(APPEND errors "${path}:${number}: member ${name} ends in \"_\"")
            endif()
        endif()
        if(line MATCHES "${typed_re}")
            set(prefix "${CMAKE_MATCH_1}")
            set(name "${CMAKE_MATCH_2}")
            string(REGEX MATCH "(^|[^A-Za-z0-9_])(${not_a_type})([^A-Za-z0-9_]|$)" statement "${prefix}")
            if(NOT statement AND NOT name IN_LIST kept_names)
                list(APPEND errors "${path}:${number}: member ${name} carries its type in its name")
            endif()
        endif()
    endforeach()
    # Which kept names this file's code (not its comments or texts) uses.
    foreach(name IN LISTS unused_kept)
        string(FIND "${code}" "${name}" at)
        if(at GREATER -1 AND code MATCHES "(^|[^A-Za-z0-9_])${name}([^A-Za-z0-9_]|$)")
            list(REMOVE_ITEM unused_kept "${name}")
        endif()
    endforeach()
endforeach()

# The .ui files: the form's name (the first widget) and every other object's.
set(resource_ids IDOK IDCANCEL)
if(EXISTS "${ROOT}/res/CommandIds.h")
    file(STRINGS "${ROOT}/res/CommandIds.h" declared REGEX "constexpr[^=]*[ \t](ID[DC]_[A-Z0-9_]+)[ \t]*=")
    foreach(line IN LISTS declared)
        string(REGEX MATCH "(ID[DC]_[A-Z0-9_]+)[ \t]*=" _ "${line}")
        list(APPEND resource_ids "${CMAKE_MATCH_1}")
    endforeach()
endif()
set(ui_files)
foreach(folder ${folders})
    if(IS_DIRECTORY "${ROOT}/${folder}")
        file(GLOB_RECURSE found RELATIVE "${ROOT}" "${ROOT}/${folder}/*.ui")
        list(FILTER found EXCLUDE REGEX "(^|/)build[^/]*/")
        list(APPEND ui_files ${found})
    endif()
endforeach()
list(SORT ui_files)
set(ui_object_re "<(widget|layout|spacer|action|actiongroup|buttongroup)[ \t][^>]*name=\"([^\"]*)\"")
foreach(path ${ui_files})
    file(READ "${ROOT}/${path}" content)
    string(REPLACE ";" "@SEMI@" content "${content}")
    string(REPLACE "[" "@LB@" content "${content}")
    string(REPLACE "]" "@RB@" content "${content}")
    string(REPLACE "\\" "@BS@" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    set(form TRUE)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(NOT line MATCHES "${ui_object_re}")
            continue()
        endif()
        set(name "${CMAKE_MATCH_2}")
        set(is_form ${form})
        if(CMAKE_MATCH_1 STREQUAL "widget")
            set(form FALSE)
        endif()
        if(name IN_LIST resource_ids OR name MATCHES "^IDC_STATIC(_[0-9]+)?$")
            continue()
        endif()
        if(is_form AND NOT name MATCHES "^[A-Z][A-Za-z0-9]*$")
            list(APPEND errors "${path}:${number}: form ${name} is not named like a class")
        elseif(NOT is_form AND NOT name MATCHES "^[a-z][A-Za-z0-9]*$")
            list(APPEND errors "${path}:${number}: object ${name} is neither lowerCamel nor a classic id")
        endif()
    endforeach()
endforeach()

foreach(name IN LISTS unused_kept)
    list(APPEND errors "scripts/CheckNaming.cmake: kept name ${name} is used nowhere; take it off the list")
endforeach()

if(errors)
    list(LENGTH errors count)
    list(JOIN errors "\n  " text)
    message(FATAL_ERROR "${count} names or includes break the house style:\n  ${text}")
endif()
list(LENGTH files count)
list(LENGTH ui_files ui_count)
message(STATUS "Naming: ${count} sources and ${ui_count} forms, every name in the house style or kept, every include from the root")
