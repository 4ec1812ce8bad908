#pragma once

#include <QString>
#include <QStringList>

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
QString byteCounterText(qint64 count);

// The question after a reading pass, carrying the number of characters it stored.
QString closingReportText(qint64 count);

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
// %1 the leftover file, %2 the form's file that it was already.
inline const QString kLeftoverSameAsForm = QStringLiteral(
    "Файл прерванной записи в архив удален: форма уже записана в архив как %2 (%1)");
// %1 forms recovered, %2 empty files removed.
inline const QString kLeftoversSummary = QStringLiteral(
    "Прерванная запись в архив: восстановлено неполных форм: %1, удалено пустых файлов: %2");

// A text that never brings a form end is cut into pieces, each in a window of its own; the
// windows between the first piece and the last close once the archive holds their pieces.
// %1 windows closed so far in this exchange.
inline const QString kStreamPiecesClosed = QStringLiteral(
    "Текст без конца формы приходит частями: закрыто окон частей между первой и последней: %1, "
    "эти части сохранены в архиве");
inline const QString kStreamPiecesKeptNoArchive = QStringLiteral(
    "Текст без конца формы приходит частями: окна частей не закрываются, так как архив не "
    "ведется");
inline const QString kStreamPiecesKeptArchiveFailed = QStringLiteral(
    "Текст без конца формы приходит частями: окна частей не закрываются, так как запись в архив "
    "не удалась");

// tabulon-collect: the port it must be told, the form cut short, the lost forms, the exit
// status when several things went wrong.
inline const QString kCollectNoPort =
    QStringLiteral("Порт не задан: файл Tabulon.ini не прочитан. Укажите порт параметром --port");
inline const QString kCollectEmptyTemplate = QStringLiteral("Шаблон имени файла пуст");
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

// The record of every exchange: how it ended, in the windows' short words; the failure to keep
// the record (%1 where and why); the collector's last line then (%1 forms, %2 bytes).
inline const QString kRecordForms = QStringLiteral("формы приняты");
inline const QString kRecordNothing = QStringLiteral("ничего не принято");
inline const QString kRecordOpenFailed = QStringLiteral("порт не открылся");
inline const QString kRecordNoHandshake = QStringLiteral("нет ответа вычислителя");
inline const QString kRecordBadReply = QStringLiteral("неверный ответ вычислителя");
inline const QString kRecordEchoTooLate = QStringLiteral("эхо не отправлено вовремя");
inline const QString kRecordLineBroken = QStringLiteral("связь нарушена");
inline const QString kRecordStopped = QStringLiteral("остановлено");
inline const QString kRecordArchiveIncomplete = QStringLiteral("не все формы в архиве");
inline const QString kRecordNotWritten = QStringLiteral("Запись о сеансе связи не сохранена: %1");
inline const QString kCollectRecordLost =
    QStringLiteral("Итог: ЗАПИСЬ О СЕАНСЕ НЕ СОХРАНЕНА; форм: %1, байт с линии: %2");

// The window "Сбор за месяц": which sites are collected this month and which are not.
inline const QString kMonthRoundTitle = QStringLiteral("Сбор за месяц");
inline const QString kMonthRoundMonth = QStringLiteral("&Месяц:");
inline const QString kMonthRoundPrevious = QStringLiteral("Предыдущий месяц");
inline const QString kMonthRoundNext = QStringLiteral("Следующий месяц");
inline const QString kMonthRoundConnect = QStringLiteral("&Связь");
inline const QString kMonthRoundForms = QStringLiteral("&Формы за месяц");
inline const QString kMonthRoundSite = QStringLiteral("Объект");
inline const QString kMonthRoundType = QStringLiteral("Тип");
inline const QString kMonthRoundPort = QStringLiteral("Порт");
inline const QString kMonthRoundLastCollected = QStringLiteral("Последний сбор");
inline const QString kMonthRoundFormCount = QStringLiteral("Форм за месяц");
inline const QString kMonthRoundLastAttempt = QStringLiteral("Последняя попытка");
inline const QString kMonthRoundAttemptTime = QStringLiteral("Время попытки");
inline const QString kRoundCollected = QStringLiteral("собран");
inline const QString kRoundFailed = QStringLiteral("не собран: попытки не удались");
inline const QString kRoundNotTried = QStringLiteral("не собран: попыток не было");
inline const QString kRoundNotInBook = QStringLiteral("нет в книге");
inline const QString kRoundNoSite = QStringLiteral("без объекта");
inline const QString kRoundNever = QStringLiteral("—");
QString monthRoundSummary(int collected, int failed, int notTried);
// The records that are no record (damaged, too large, a folder, a pipe or a device named like
// one) and the folder they are in, so that someone can look there.
QString monthRoundUnreadable(int records, const QString& folder);
inline const QString kMonthRoundReading = QStringLiteral("Чтение записей о сеансах связи…");
inline const QString kMonthRoundState = QStringLiteral("Состояние");

// tabulon-collect over the site book: the options, the tries, the round over every site.
inline const QString kCollectSiteAndAll = QStringLiteral("Параметры --site и --all несовместимы");
inline const QString kCollectPortAndAll = QStringLiteral(
    "Параметры --port и --all несовместимы: у каждого объекта свой порт в файле объектов");
inline const QString kCollectBadRetry =
    QStringLiteral("Число повторов должно быть целым и не меньше нуля");
inline const QString kCollectBadRetryDelay =
    QStringLiteral("Пауза между попытками должна быть целым числом секунд, не меньше нуля");
inline const QString kCollectSomeSitesFailed =
    QStringLiteral("с части объектов данные получить не удалось");
inline const QString kCollectNotTried = QStringLiteral("не опрошен: сбор прерван сигналом");
inline const QString kCollectSitesHelp = QStringLiteral(
    "  --site     объект из книги объектов: порт, тип и скорость берутся из книги (явно\n"
    "             заданные параметры важнее), формы записываются в папку объекта в архиве\n"
    "  --sites    файл книги объектов (по умолчанию %1)\n"
    "  --all      опросить все объекты книги по очереди; сбой одного не останавливает\n"
    "             остальные\n"
    "  --retry    сколько раз повторить сбор после ошибки открытия порта, установления\n"
    "             связи или обрыва линии (по умолчанию 0, не больше 100)\n"
    "  --retry-delay  пауза перед первым повтором, секунд (по умолчанию 30, не меньше 1);\n"
    "             каждая следующая пауза вдвое длиннее, до 10 минут\n");
inline const QString kCollectRoundOutcome = QStringLiteral(
    "С --all код завершения относится ко всему обходу: 0 - все объекты опрошены без сбоя и\n"
    "хотя бы один передал формы; 1 - все опрошены без сбоя, но ни один ничего не передал;\n"
    "11 - у части объектов сбой; если сбой у всех - код самого важного из них (10, затем\n"
    "3-7 по порядку, затем 8, затем 2); 9 - обход прерван сигналом, остальные объекты не\n"
    "опрошены (10, если потеряна форма).");
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
// The site book, the window "Объекты" and the exchange with a site.
QString siteBookLine(const QString& path, int line, const QString& what);
QString siteBookUnreadable(const QString& path, const QString& why);
QString siteBookNotToml(const QString& detail);
QString siteTwice(const QString& name);
QString siteNotTable(const QString& name);
QString siteUnknownKey(const QString& name, const QString& key);
QString siteKeyNotText(const QString& name, const QString& key);
QString siteKeyNotNumber(const QString& name, const QString& key);
QString siteNoPort(const QString& name);
QString siteBadValue(const QString& name, const QString& problem, const QString& value);
QString siteBookNotSaved(const QString& problem);
QString siteBookWriteFailed(const QString& path, const QString& why);
QString siteBookAtStart(const QString& problem);
inline const QString kSiteNoName = QStringLiteral("Не задано имя объекта");
inline const QString kSiteNameTaken = QStringLiteral("Объект с таким именем уже есть");
inline const QString kSiteCopy = QStringLiteral("копия");
inline const QString kSiteNewName = QStringLiteral("Новый объект");
QString noSites(const QString& path);
QString siteNotOnComNumber(const QString& site, const QString& port);
// Names of sites the archive could not keep apart; a book the window "Объекты" only shows; sites
// that share a port.
inline const QString kSiteNameControl = QStringLiteral(
    "В имени объекта есть управляющие символы (табуляция, перевод строки и т. п.)");
QString siteSameFolder(const QString& name, const QString& other, const QString& folder);
QString siteNameUnquoted(const QString& name);
QString siteBookReadOnly(const QString& problem);
QString sitesOnOnePort(const QString& port, const QStringList& sites);
inline const QString kSiteBookHeader = QStringLiteral(
    "# Объекты Tabulon: имя объекта в заголовке таблицы, под ним порт (COM1..COM9,\n"
    "# /dev/serial/by-id/…, tcp://адрес:порт или rfc2217://адрес:порт), тип вычислителя,\n"
    "# скорость и примечание. Комментарии над заголовком объекта сохраняются.\n");
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
// While a search reads the index on its worker; a count the index could not give.
inline const QString kArchiveSearching = QStringLiteral("Поиск…");
inline const QString kArchiveFormsUncounted = QStringLiteral("Форм: не удалось сосчитать");
inline const QString kArchiveIndexRebuilt =
    QStringLiteral("Указатель архива был повреждён и строится заново");
// %1 is why the index can be kept neither in the cache nor in memory (kArchiveFolderNotCreated…).
inline const QString kArchiveIndexFailed = QStringLiteral("Указатель архива недоступен: %1");
inline const QString kArchiveNoFolder = QStringLiteral("Папка архива не найдена: %1");
inline const QString kArchiveIndexRebuiltDone =
    QStringLiteral("Указатель архива был повреждён и построен заново");
// %1 is the cache folder, %2 what is wrong with it (kArchiveFolderNotCreated…).
inline const QString kArchiveIndexInMemory = QStringLiteral(
    "Папка кэша %1: %2. Формы показаны без указателя архива, поиск по тексту недоступен");
inline const QString kArchiveSearchUnavailable =
    QStringLiteral("Поиск недоступен: указатель архива не сохраняется");

}  // namespace texts
