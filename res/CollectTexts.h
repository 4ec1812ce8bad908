#pragma once

#include <QString>

// tabulon-collect: its options, its lines, what each exit status means, the tries and the round
// over the site book.
namespace texts {

// The port it must be told, the form cut short, the lost forms, the exit
// status when several things went wrong.
inline const QString kCollectNoPort =
    QStringLiteral("Порт не задан: файл Tabulon.ini не прочитан. Укажите порт параметром --port");
inline const QString kCollectFormCutShort =
    QStringLiteral("Форма %1 записана в архив НЕ ПОЛНОСТЬЮ (прием прерван): %2 (%3 байт)");
// The summary counts every byte the line brought (the handshake's reply and the form ends too);
// a pass's closing report counts only the characters it stored.
inline const QString kCollectSummary = QStringLiteral("Итог: %1; форм: %2, байт с линии: %3");
inline const QString kCollectFormsLost =
    QStringLiteral("Итог: ФОРМЫ ПОТЕРЯНЫ, не записано в архив: %1 из %2; байт с линии: %3");
inline const QString kCollectAlso = QStringLiteral("; кроме того: %1");
inline const QString kCollectOutcomeOrder = QStringLiteral(
    "Если случилось несколько исходов, код завершения - самый важный из них: 10 (потеряна\n"
    "форма) важнее всех остальных, затем 3-7, затем 9, затем 8, затем 0 или 1.");

// The options and the lines while a collection runs.
inline const QString kCollectBadPasses =
    QStringLiteral("Число проходов должно быть целым и больше нуля");
inline const QString kCollectBadWait =
    QStringLiteral("Время ожидания задается целым числом секунд");
QString collectUnknownOption(const QString& name);
QString collectNoValue(const QString& name);
inline const QString kCollectHelpHint = QStringLiteral("Справка: tabulon-collect --help");
QString collectProgress(quint64 bytes, int forms);
QString collectFormWritten(int number, const QString& path, qint64 size);
// What each exit status of tabulon-collect means, in the order of the codes.
inline const QString kCollectFormsReceived = QStringLiteral("формы получены и записаны в архив");
inline const QString kCollectNothingReceived = QStringLiteral("вычислитель ничего не передал");
inline const QString kCollectUsage = QStringLiteral("неверные параметры командной строки");
inline const QString kCollectOpenFailed =
    QStringLiteral("COM-порт не удалось открыть или настроить");
inline const QString kCollectNoHandshake = QStringLiteral("связь с вычислителем не установлена");
inline const QString kCollectBadReply =
    QStringLiteral("неверный ответ вычислителя при установлении связи");
inline const QString kCollectEchoTooLate =
    QStringLiteral("эхо принятого байта не отправлено вовремя");
inline const QString kCollectLineBroken = QStringLiteral("линия оборвалась (устройство пропало)");
inline const QString kCollectSettingsNotWritten =
    QStringLiteral("файл Tabulon.ini не удалось записать");
inline const QString kCollectInterrupted = QStringLiteral("прервано сигналом SIGINT или SIGTERM");
inline const QString kCollectArchiveIncomplete =
    QStringLiteral("ФОРМЫ ПОТЕРЯНЫ: не все полученные формы записаны в архив");

// The last line when the record of the exchange could not be kept (%1 forms, %2 bytes).
inline const QString kCollectRecordLost =
    QStringLiteral("Итог: ЗАПИСЬ О СЕАНСЕ НЕ СОХРАНЕНА; форм: %1, байт с линии: %2");

// Over the site book: the options, the tries, the round over every site.
inline const QString kCollectSiteAndAll = QStringLiteral("Параметры --site и --all несовместимы");
inline const QString kCollectPortAndAll = QStringLiteral(
    "Параметры --port и --all несовместимы: у каждого объекта свой порт в файле объектов");
inline const QString kCollectBadRetry =
    QStringLiteral("Число повторов должно быть целым и не меньше нуля");
inline const QString kCollectBadRetryDelay =
    QStringLiteral("Пауза между попытками должна быть целым числом секунд, не меньше нуля");
inline const QString kCollectSomeSitesFailed =
    QStringLiteral("с части объектов данные получить не удалось");
// The common archive from tabulon-collect.
inline const QString kCollectUploadIncomplete = QStringLiteral("не всё отправлено в общий архив");
inline const QString kCollectBadUploadWait =
    QStringLiteral("Ожидание общего архива должно быть целым числом секунд, не меньше нуля");
inline const QString kCollectUploadHelp = QStringLiteral(
    "  --upload   только отправить в общий архив всё, что ещё не отправлено (без сбора)\n"
    "  --upload-wait  сколько секунд ждать общий архив, пока он недоступен (по умолчанию 30);\n"
    "             без --upload — после сбора, с --upload — всего\n");
inline const QString kCollectNotTried = QStringLiteral("не опрошен: сбор прерван сигналом");
inline const QString kCollectSitesHelp = QStringLiteral(
    "  --site     объект из книги объектов: порт, тип и скорость берутся из книги (явно\n"
    "             заданные параметры важнее), формы записываются в папку объекта в архиве\n"
    "  --sites    файл книги объектов (по умолчанию %1)\n"
    "  --all      опросить все объекты книги: объекты разных линий одновременно, объекты\n"
    "             одной линии по очереди; сбой одного не останавливает остальные\n"
    "  --retry    сколько раз повторить сбор после ошибки открытия порта, установления\n"
    "             связи или обрыва линии, а для объекта с модемом - после BUSY, NO ANSWER,\n"
    "             NO CARRIER и истечения dial_timeout (по умолчанию 0, не больше 100)\n"
    "  --retry-delay  пауза перед первым повтором, секунд (по умолчанию 30, не меньше 1);\n"
    "             каждая следующая пауза вдвое длиннее, до 10 минут\n");
// The round over several lines at once: how many exchanges, how long a busy line is waited for.
inline const QString kCollectRoundHelp = QStringLiteral(
    "  --jobs     сколько обменов вести одновременно с --all (по умолчанию по одному на\n"
    "             линию, не больше 8; 1 - все объекты по очереди)\n"
    "  --line-wait  сколько секунд ждать линию, занятую другой программой (по умолчанию\n"
    "             60); потом объект считается неопрошенным: порт занят\n");
inline const QString kCollectBadJobs =
    QStringLiteral("Число одновременных обменов должно быть целым, от 1 до 64");
inline const QString kCollectBadLineWait =
    QStringLiteral("Ожидание линии должно быть целым числом секунд, не меньше нуля");
inline const QString kCollectRoundOutcome = QStringLiteral(
    "С --all код завершения относится ко всему обходу: 0 - все объекты опрошены без сбоя и\n"
    "хотя бы один передал формы; 1 - все опрошены без сбоя, но ни один ничего не передал;\n"
    "11 - у части объектов сбой; если сбой у всех - код самого важного из них (10, затем\n"
    "3-7 и 12-19 по порядку, затем 8, затем 2); 9 - обход прерван сигналом, остальные\n"
    "объекты не опрошены (10, если потеряна форма).");
QString collectUnknownSite(const QString& site, const QString& book);
QString collectEmptyBook(const QString& book);
QString collectSiteBegins(const QString& site, int index, int count);
QString collectSiteEnded(const QString& site, const QString& summary);
QString collectTryFailed(int tryNumber, qint64 tries, const QString& meaning, int delaySeconds);
QString collectTries(int tries);
// The bound on tries, a stop in the pause between them, a book named that is not there.
QString collectTooManyRetries(int max);
inline const QString kCollectRetriesStopped =
    QStringLiteral("Повторы прекращены: получен сигнал остановки");
QString collectNoSitesFile(const QString& book);
QString collectRoundSummary(const QString& meaning, int sites, int withForms, int nothing,
                            int failed, int notTried);

}  // namespace texts
