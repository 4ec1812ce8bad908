#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "forms/FileError.h"

struct ErrorTextCase {
    const char* name;
    FileError error;
    const char* text;
};

class ErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorText, IsTheTextOfItsClass) {
    EXPECT_EQ(fileErrorText(GetParam().error, "/f/form"), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorText,
    ::testing::Values(
        ErrorTextCase{"NotFound", {FileErrorCause::FileNotFound, false}, "/f/form was not found."},
        ErrorTextCase{
            "BadPath", {FileErrorCause::BadPath, true}, "/f/form contains an invalid path."},
        ErrorTextCase{"TooMany",
                      {FileErrorCause::TooManyOpenFiles, false},
                      "/f/form could not be opened because there are too many open files."},
        ErrorTextCase{
            "Denied", {FileErrorCause::AccessDenied, true}, "Access to /f/form was denied."},
        ErrorTextCase{"HardIO",
                      {FileErrorCause::HardIO, false},
                      "A hardware I/O error was reported while accessing /f/form."},
        ErrorTextCase{
            "DiskFull", {FileErrorCause::DiskFull, true}, "Disk full while accessing /f/form."},
        ErrorTextCase{"PastEnd",
                      {FileErrorCause::EndOfFile, false},
                      "An attempt was made to access /f/form past its end."},
        ErrorTextCase{"GenericOpen", {FileErrorCause::Generic, false}, "Failed to open document."},
        ErrorTextCase{"GenericSave", {FileErrorCause::Generic, true}, "Failed to save document."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileError, ClassifiesFromTheFileSystem) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing");
    EXPECT_EQ(classifyOpenError(missing, QFileDevice::OpenError).cause,
              FileErrorCause::FileNotFound);
    EXPECT_EQ(classifyOpenError(dir.filePath("no/such"), QFileDevice::OpenError).cause,
              FileErrorCause::BadPath);
    EXPECT_EQ(classifyOpenError(dir.path(), QFileDevice::OpenError).cause,
              FileErrorCause::AccessDenied);
    EXPECT_EQ(classifySaveError(dir.filePath("no/such"), QFileDevice::OpenError).cause,
              FileErrorCause::BadPath);
    EXPECT_EQ(classifySaveError(dir.path(), QFileDevice::OpenError).cause,
              FileErrorCause::AccessDenied);
    EXPECT_EQ(classifySaveError(missing, QFileDevice::ResourceError).cause,
              FileErrorCause::DiskFull);
    EXPECT_EQ(classifySaveError(missing, QFileDevice::WriteError).cause, FileErrorCause::Generic);
}
