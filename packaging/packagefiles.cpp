// Draws the files the package ships that the program makes itself: the icon at every size
// the desktop's icon theme asks for, the scalable icon, and the template workbook of the
// member import written by the program's own workbook writer.
//
//   quorvane_packagefiles OUTDIR APPID

#include "app/artwork.h"
#include "members/memberimport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

bool fail(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return false;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(path + u": "_s + file.errorString());
    return true;
}

bool writeImage(const QString& path, const QImage& image)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG") || fail(path + u": cannot write"_s);
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing is shown; the painter only needs the Gui module up.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        fail(u"usage: quorvane_packagefiles OUTDIR APPID"_s);
        return 2;
    }
    const QString out = args.at(1);
    const QString id = args.at(2);

    bool ok = true;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString path = u"%1/icons/hicolor/%2x%2/apps/%3.png"_s.arg(out).arg(side).arg(id);
        ok = writeImage(path, programIconImage(side)) && ok;
    }
    ok = writeFile(u"%1/icons/hicolor/scalable/apps/%2.svg"_s.arg(out, id), programIconSvg()) && ok;

    QString error;
    if (!MemberImport::writeTemplate(out + u"/会员档案.xls"_s, &error))
        ok = fail(error);
    return ok ? 0 : 1;
}
