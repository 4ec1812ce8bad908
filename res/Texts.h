#pragma once

#include <QString>

// The program's own messages, each written once: the windows, the worker and
// tabulon-collect show them from here. The texts the string table holds (the English file and
// print messages, the command prompts) are read with res::loadString instead.
namespace texts {

// The worker's messages, exactly as the operator knows them.
inline const QString kPortInitFailed = QStringLiteral("Ошибка при инициализации COM-порта");
inline const QString kLinkNotEstablished = QStringLiteral("Связь с вычислителем не установлена");
inline const QString kBadReply = QStringLiteral("Ошибка при приеме данных от вычислителя");
inline const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");
inline const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");

// "GetCommState failed with error %d.\n" and its SetCommState sibling.
QString getStateFailed(int error);
QString setStateFailed(int error);

// The byte counter beside the progress bar: "<n> байт прочитано".
QString byteCounterText(int count);

// The question after a reading pass, carrying the number of characters it stored.
QString closingReportText(int count);

// The settings' checks before an exchange starts.
inline const QString kBadPort = QStringLiteral("Неправильно задан порт");
inline const QString kBadDevice = QStringLiteral("Неправильно задан тип вычислителя");
inline const QString kBadRate = QStringLiteral("Неправильно задана скорость обмена данными");

// The settings file.
inline const QString kCannotOpenIni = QStringLiteral("Невозможно открыть файл Tabulon.ini");
inline const QString kBadIniFormat = QStringLiteral("Неверный формат файла Tabulon.ini");

// Closing the window that is receiving.
inline const QString kCloseGuard = QStringLiteral(
    "Документ не может быть закрыт до окончания передачи данных!\n"
    "Остановить передачу данных?");

// Saving a form with a character that cp1251 has no byte for: the character, its code
// point and its line.
QString unrepresentableQuestion(const QString& character, char32_t codePoint, int line);

// Opening a path that is no regular file (a device, a pipe).
QString notRegularFile(const QString& path);

inline const QString kHelpTitle = QStringLiteral("Tabulon - Справка");

// The archive folder, from the main window's commands.
QString cannotCreateArchiveFolder(const QString& folder);
QString cannotOpenArchiveFolder(const QString& folder);
// Added to an archive failure shown during an exchange.
inline const QString kFormStaysInWindow = QStringLiteral("Текст формы остается в ее окне.");

// The form archive: a form cut short, and what an archive broken off (killed, a power cut)
// left behind in its folder.
inline const QString kIncompleteSuffix = QStringLiteral("-неполная");
// %1 the leftover file, %2 the form's file, %3 its size in bytes.
inline const QString kLeftoverRecovered =
    QStringLiteral("Недописанная форма %1 восстановлена в архиве как неполная: %2 (%3 байт)");
// %1 the leftover file.
inline const QString kLeftoverRemoved =
    QStringLiteral("Пустой файл прерванной записи в архив удален: %1");
// %1 forms recovered, %2 empty files removed.
inline const QString kLeftoversSummary = QStringLiteral(
    "Прерванная запись в архив: восстановлено неполных форм: %1, удалено пустых файлов: %2");

// tabulon-collect: the port it must be told, the form cut short, the lost forms, the exit
// status when several things went wrong.
inline const QString kCollectNoPort =
    QStringLiteral("Порт не задан: файл Tabulon.ini не прочитан. Укажите порт параметром --port");
inline const QString kCollectEmptyTemplate = QStringLiteral("Шаблон имени файла пуст");
inline const QString kCollectFormCutShort =
    QStringLiteral("Форма %1 записана в архив НЕ ПОЛНОСТЬЮ (прием прерван): %2 (%3 байт)");
inline const QString kCollectSummary = QStringLiteral("Итог: %1; форм: %2, байт: %3");
inline const QString kCollectFormsLost =
    QStringLiteral("Итог: ФОРМЫ ПОТЕРЯНЫ, не записано в архив: %1 из %2; байт: %3");
inline const QString kCollectAlso = QStringLiteral("; кроме того: %1");
inline const QString kCollectOutcomeOrder = QStringLiteral(
    "Если случилось несколько исходов, код завершения - самый важный из них: 10 (потеряна\n"
    "форма) важнее всех остальных, затем 3-7, затем 9, затем 8, затем 0 или 1.");

// Texts that lived beside the code that shows them: the archive's checks and failures, the
// collector's lines and outcomes, the few words of the ports and the start-up.
inline const QString kOk = QStringLiteral("ОК");
inline const QString kCancel = QStringLiteral("Отмена");
inline const QString kYes = QStringLiteral("Да");
inline const QString kNo = QStringLiteral("Нет");
inline const QString kTimerStartFailed = QStringLiteral("Stating timer error");

inline const QString kNoArchiveFolder = QStringLiteral("Не задана папка архива");
inline const QString kNoArchiveTemplate = QStringLiteral("Не задан шаблон имени файла");
QString unknownTemplateField(const QString& field);
inline const QString kArchiveSettingsNotSaved =
    QStringLiteral("Не удалось сохранить настройки архива");
inline const QString kArchiveFolderTitle = QStringLiteral("Папка архива");
// The example under the template in "Архив": the name it gives a sample form.
QString archiveExample(const QString& name);
inline const QString kArchiveExampleTitle = QStringLiteral("СУТОЧНАЯ ВЕДОМОСТЬ");
// Why a form is not in the archive; the reasons follow "не записана в архив: ".
QString archiveFailure(int number, const QString& reason, const QString& folder);
inline const QString kArchiveFolderUnavailable = QStringLiteral("папка недоступна");
inline const QString kArchiveFolderReadOnly = QStringLiteral("нет прав на запись в папку");
inline const QString kArchiveDiskReadOnly = QStringLiteral("диск доступен только для чтения");
inline const QString kArchiveDiskFull = QStringLiteral("на диске нет места");
QString archiveWriteError(const QString& systemText);
inline const QString kArchiveNamesTaken = QStringLiteral("все имена файлов заняты");
inline const QString kArchiveNotSynced = QStringLiteral("данные не сброшены на диск");
inline const QString kArchiveFolderNotCreated = QStringLiteral("не удается создать папку");

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
inline const QString kCollectForms = QStringLiteral("формы получены и записаны в архив");
inline const QString kCollectNothing = QStringLiteral("вычислитель ничего не передал");
inline const QString kCollectUsage = QStringLiteral("неверные параметры командной строки");
inline const QString kCollectOpenFailed =
    QStringLiteral("COM-порт не удалось открыть или настроить");
inline const QString kCollectNoLink = QStringLiteral("связь с вычислителем не установлена");
inline const QString kCollectBadReply =
    QStringLiteral("неверный ответ вычислителя при установлении связи");
inline const QString kCollectEchoFailed =
    QStringLiteral("эхо принятого байта не отправлено вовремя");
inline const QString kCollectLineBroken = QStringLiteral("линия оборвалась (устройство пропало)");
inline const QString kCollectSettingsFailed =
    QStringLiteral("файл Tabulon.ini не удалось записать");
inline const QString kCollectInterrupted = QStringLiteral("прервано сигналом SIGINT или SIGTERM");
inline const QString kCollectArchiveFailed =
    QStringLiteral("ФОРМЫ ПОТЕРЯНЫ: не все полученные формы записаны в архив");

inline const QString kNoSerialPorts = QStringLiteral("Tabulon: последовательных портов не найдено");
inline const QString kNetworkPort = QStringLiteral("Сетевой порт");
inline const QString kNetworkPortLower = QStringLiteral("сетевой порт");
inline const QString kUnplugged = QStringLiteral("отключено");
// A port that does not open, and the device behind a COM number: %1 is where the port was
// looked for ("/dev/ttyUSB0 (COM3)"), or the server's address.
inline const QString kManualChapter = QStringLiteral("«Подключение вычислителя»");
inline const QString kNoDevice = QStringLiteral("нет устройства");
QString portBusy(const QString& where);
QString portBusyUser(const QString& program, int pid);
QString portBusyProbably(const QString& program);
QString portBusyHelp();
QString serverRefused(const QString& address);
QString serverTimedOut(const QString& address);
QString serverUnreachable(const QString& address);
QString serverReset(const QString& address);
QString serverNotRfc2217(const QString& address);
QString serverUnknownHost(const QString& address);
QString badNetworkAddress(const QString& address);
QString systemError(const QString& where, const QString& systemText, int error);
QString noDeviceBehind(const QString& com);
QString noDevice(const QString& where);
QString noPortAccess(const QString& where);
QString notSerialPort(const QString& where);
QString rememberedUnplugged(const QString& device);

// The Replace box shares the Find box's layout, titled "Найти" there.
inline const QString kReplaceBoxTitle = QStringLiteral("Заменить");

// The archive window and its search index.
inline const QString kArchiveWindowTitle = QStringLiteral("Архив форм");
inline const QString kArchiveSearchHint = QStringLiteral("Поиск по тексту форм");
inline const QString kArchiveAllForms = QStringLiteral("Все формы");
inline const QString kArchiveColumnReceived = QStringLiteral("Дата и время");
inline const QString kArchiveColumnSite = QStringLiteral("Объект");
inline const QString kArchiveColumnPort = QStringLiteral("Порт");
inline const QString kArchiveColumnType = QStringLiteral("Тип");
inline const QString kArchiveColumnFirstLine = QStringLiteral("Первая строка");
inline const QString kArchiveColumnSize = QStringLiteral("Размер");
// A form file the index could not read: %1 is why.
inline const QString kArchiveUnreadable = QStringLiteral("Файл не читается: %1");
inline const QString kIndexNotRegularFile = QStringLiteral("это не обычный файл");
inline const QString kIndexFileTooLarge = QStringLiteral("файл слишком велик для формы");
// %1 forms checked of %2.
inline const QString kArchiveIndexing = QStringLiteral("Обновление указателя архива: %1 из %2");
inline const QString kArchiveForms = QStringLiteral("Форм: %1");
inline const QString kArchiveHits = QStringLiteral("Найдено форм: %1");
inline const QString kArchiveHitsMore = QStringLiteral("Найдено форм: %1 и более");
inline const QString kArchiveNoHits = QStringLiteral("Ничего не найдено");
inline const QString kArchiveIndexRebuilt =
    QStringLiteral("Указатель архива был повреждён и строится заново");
// %1 is why the index cannot be opened or written.
inline const QString kArchiveIndexFailed = QStringLiteral("Указатель архива недоступен: %1");
inline const QString kArchiveNoFolder = QStringLiteral("Папка архива не найдена: %1");

}  // namespace texts
