#include "app/startup.h"

#include "app/artwork.h"
#include "app/demoshop.h"
#include "app/screens.h"
#include "app/singleinstance.h"
#include "app/tmain.h"
#include "config/appconfig.h"
#include "config/programhome.h"
#include "controls/enterchain.h"
#include "controls/messageservice.h"
#include "data/clock.h"
#include "data/engine.h"
#include "data/tdm1.h"
#include "members/memberimport.h"
#include "operators/permissions.h"
#include "operators/tloginform.h"
#include "settings/shopsettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStyleFactory>
#include <QTextStream>
#include <QTranslator>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

// The resources live in a static library, which links them only on request; the macro may
// not stand inside a namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(guide);
}

namespace Startup {

namespace {

void say(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int createDatabase()
{
    QString error;
    Engine::Location location;
    if (!AppConfig::database(&location, &error) || !createHome(&error)) {
        say(stderr, error);
        return 1;
    }
    say(stdout, u"已创建数据库：%1"_s.arg(location.describe()));
    return 0;
}

// The guide and its pictures beside it (help.html, help/*.png), so the desktop's browser
// finds them when 系统帮助 opens the file. Pictures already there are kept.
void installGuide()
{
    const QString home = ProgramHome::dir();
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::copy(u":/guide/help.html"_s, home + u"/help.html"_s);
    QFile::setPermissions(home + u"/help.html"_s, readable);
    QDir().mkpath(home + u"/help"_s);
    const QDir pictures(u":/guide/help"_s);
    for (const QString& name : pictures.entryList(QDir::Files)) {
        const QString target = home + u"/help/"_s + name;
        if (!QFileInfo::exists(target) && QFile::copy(pictures.filePath(name), target))
            QFile::setPermissions(target, readable);
    }
}

// A fresh home holding the demo shop as it stands today. A home with a database (or one whose
// myini.ini names a server's) is the shop's own: it is never touched.
int createDemo()
{
    QString error;
    Engine::Location location;
    if (!AppConfig::database(&location, &error)) {
        say(stderr, error);
        return 1;
    }
    if (location.isServer() || QFileInfo::exists(ProgramHome::databasePath())) {
        say(stderr, u"程序目录中已有数据库，示范店铺只建在新的程序目录中：%1"_s.arg(QDir::toNativeSeparators(ProgramHome::dir())));
        return 1;
    }
    if (!createHome(&error)) {
        say(stderr, error);
        return 1;
    }
    {
        TDM1 dm;
        if (dm.connectTo(location, &error))
            error = DemoShop::fill(dm.ADOConnection1(), Clock::today());
    }
    if (error.isEmpty() && !Settings::save(DemoShop::settings()).ok)
        error = u"无法写入 %1"_s.arg(QDir::toNativeSeparators(ProgramHome::configPath()));
    if (!error.isEmpty()) {
        say(stderr, error);
        return 1;
    }
    say(stdout, u"已建立示范店铺：以 0001（密码为空）或 %1（密码 %2）登录"_s.arg(DemoShop::CounterOperator, DemoShop::CounterPassword));
    return 0;
}

// The home's whole database copied to another engine's (or another file), checked, in one step.
int copyDatabase(const QString& targetText)
{
    QString error;
    Engine::Location from;
    if (!AppConfig::database(&from, &error)) {
        say(stderr, error);
        return 1;
    }
    const Engine::Location to = Engine::Location::parse(targetText, &error);
    QString report;
    if (!error.isEmpty() || !Engine::copyDatabase(from, to, &report, &error)) {
        say(stderr, u"复制数据库失败：%1"_s.arg(error));
        return 1;
    }
    say(stdout, report);
    return 0;
}

} // namespace

void applyLook(QApplication& app)
{
    initResources();
    // The name alone (it is the task-bar text): a display name would be appended to every
    // window title by the window system ("进入系统 — Quorvane"), and the titles are the
    // screens' own captions.
    QCoreApplication::setApplicationName(Product::Title);
    // The shop works in Chinese: dates and numbers in its formats, and Qt's own dialogs (the
    // file dialog's "查看：", "文件名：", "保存") in its language.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(), u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtTexts);
    else
        delete qtTexts;
    app.setWindowIcon(programIcon());
    app.setStyle(QStyleFactory::create(u"Fusion"_s));
    QFont font;
    font.setFamilies({u"Noto Sans CJK SC"_s, u"WenQuanYi Micro Hei"_s, u"Microsoft YaHei"_s});
    font.setPointSize(10);
    app.setFont(font);
    pressFocusedButtonsOnEnter(app);
    QFile sheet(u":/style/quorvane.qss"_s);
    if (sheet.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    // The desktop matches the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(QUORVANE_APP_ID));
}

bool createHome(QString* error)
{
    initResources();
    // The member data holds ID numbers and phones: a home made here is for its user only.
    const QString home = ProgramHome::dir();
    if (!QFileInfo::exists(home) && QDir().mkpath(QFileInfo(home).absolutePath()))
        QDir().mkdir(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The home's file, or the server database that myini.ini names.
    Engine::Location location;
    if (!AppConfig::database(&location, error) || !Engine::create(location, error))
        return false;
    const QString picture = ProgramHome::defaultPicturePath();
    if (!QFileInfo::exists(picture)) {
        QDir().mkpath(QFileInfo(picture).absolutePath());
        defaultBackground().save(picture, "BMP");
    }
    const QStringList helpFiles = ProgramHome::helpFileCandidates();
    if (std::none_of(helpFiles.begin(), helpFiles.end(), [](const QString& f) { return QFileInfo::exists(f); }))
        installGuide();
    // The database is there; a template that cannot be written is only reported.
    const QString memberTemplate = ProgramHome::memberTemplatePath();
    QString templateError;
    if (!QFileInfo::exists(memberTemplate) && !MemberImport::writeTemplate(memberTemplate, &templateError))
        say(stderr, templateError);
    return true;
}

bool offerDatabase()
{
    // A server's database is the administrator's to make; the connection says what is wrong.
    Engine::Location location;
    QString error;
    if (!AppConfig::database(&location, &error) || location.isServer())
        return true;
    if (QFileInfo::exists(ProgramHome::databasePath()))
        return true;
    if (!MessageService::question(nullptr, u"系统提示"_s, u"尚未找到数据库，是否新建？"_s,
                                  MessageService::Buttons::YesNo))
        return true;
    if (createHome(&error))
        return true;
    MessageService::error(nullptr, u"错误"_s, error);
    return false;
}

int run(QApplication& app)
{
    QCommandLineParser options;
    options.setApplicationDescription(u"Quorvane 会员积分管理"_s);
    options.addHelpOption();
    options.addOption({u"home"_s, u"程序目录（数据库、myini.ini、image/001.bmp 与帮助文件所在处）"_s, u"DIR"_s});
    options.addOption({u"create-database"_s,
                       u"新建空数据库（只含操作员 0001）：程序目录中的文件，或 myini.ini [数据库] 所指的服务器数据库；不覆盖已有数据"_s});
    options.addOption({u"copy-database-to"_s,
                       u"把程序目录的整个数据库复制到新的 SQLite 文件或 PostgreSQL 数据库"
                       u"（postgresql://用户:密码@主机:端口/数据库名），在一个事务中完成并核对"_s,
                       u"TARGET"_s});
    options.addOption({u"create-demo"_s, u"在新的程序目录中建立示范店铺（会员、三个月的积分记录、礼品与挂失），不碰已有数据库"_s});
    options.process(app);

    ProgramHome::set(ProgramHome::resolve(ProgramHome::Sources::ofThisProcess(app.arguments())));
    if (options.isSet(u"create-database"_s))
        return createDatabase();
    if (options.isSet(u"copy-database-to"_s))
        return copyDatabase(options.value(u"copy-database-to"_s));
    if (options.isSet(u"create-demo"_s))
        return createDemo();

    SingleInstance single;
    if (!single.acquire())
        return 0;

    applyLook(app);
    if (!offerDatabase())
        return 1;
    TDM1 dm;
    TMAIN main;
    if (!main.connectDatabase())
        return 1;
    main.applyStartupSettings(AppConfig::readStartup());

    // Lives for the whole run: it holds the Current operator.
    Tloginform login(dm.ADOConnection1());
    if (login.exec() != QDialog::Accepted)
        return 0;
    main.applyLogin(currentOperator().id, Permissions::held(dm.ADOConnection1(), currentOperator().id));
    AppScreens::registerAll(main, dm);
    // Fill the screen even where no window manager honours the maximised state.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        main.setGeometry(screen->availableGeometry());
    main.showMaximized();
    return app.exec();
}

} // namespace Startup
