#pragma once

class QCoreApplication;

// Makes Qt's own dialogs and buttons (open and save, print, print preview, page set-up, the
// question before a file is replaced) speak Russian, as the operator's other programs do: loads
// Qt's Russian catalogue from the folder Qt was installed with. The program's own texts do not
// pass through it. Returns false when the catalogue is missing; those dialogs then stay English.
bool installFrameworkTranslations(QCoreApplication& app);
