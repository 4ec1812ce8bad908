#include "res/ArchiveTexts.h"

namespace texts {

QString cannotCreateArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается создать папку архива %1").arg(folder);
}

QString cannotOpenArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается открыть папку архива %1").arg(folder);
}

QString unknownTemplateField(const QString& field) {
    return QStringLiteral("Неизвестное поле в шаблоне имени: {%1}").arg(field);
}

QString archiveExample(const QString& name) {
    return QStringLiteral("Например: ") + name;
}

QString archiveFailure(int number, const QString& reason, const QString& folder) {
    return QStringLiteral("Форма %1 не записана в архив: %2.\nПапка архива: %3")
        .arg(number)
        .arg(reason, folder);
}

QString archiveWriteError(const QString& systemText) {
    return QStringLiteral("ошибка записи (%1)").arg(systemText);
}

}  // namespace texts
