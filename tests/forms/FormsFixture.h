#pragma once

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "acquisition/ReceiveControl.h"
#include "forms/FileDialogs.h"
#include "forms/FormTemplate.h"
#include "res/MessageStyle.h"
#include "tests/fakes/DialogAnswerer.h"

// A main window's worth of forms: an MDI area, the control block, the template, message boxes
// and file dialogs answered by the test, and a folder for files.
class FormsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        area = std::make_unique<QMdiArea>();
        area->resize(800, 600);
        area->show();
        formTemplate = std::make_unique<CFormTemplate>(area.get(), &rc);
        answerer.setFallback(msg::IDOK);  // once the answers given in order run out
        setFileDialogHook([this](bool saving, const QString& proposed) {
            dialogs.push_back({saving ? "save" : "open", proposed});
            return chosenPath;
        });
    }

    void TearDown() override {
        formTemplate.reset();
        area.reset();
        setFileDialogHook({});
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ReceiveControl rc;
    std::unique_ptr<QMdiArea> area;
    std::unique_ptr<CFormTemplate> formTemplate;
    DialogAnswerer answerer;
    QList<DialogAnswerer::Box>& boxes = answerer.boxes;
    std::vector<std::pair<QString, QString>> dialogs;
    QString chosenPath;
};
