#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QSysInfo>

namespace velmar {

namespace {

// The window's icon, drawn from the program's SVG icon at the sizes title bars and task bars take. Read as
// PNG: an SVG icon would load Qt's SVG plug-in and its library into every start. Larger places (docks,
// menus) take the installed icon of the desktop entry.
QIcon WindowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QImageReader reader(QStringLiteral(":/icons/velmarcom-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace

void PrepareApplication(QApplication &app)
{
    // The plain name names the settings folder; the title (message boxes) and the window's caption are
    // the operator's texts.
    app.setApplicationName(QStringLiteral("VelmarCom"));
    app.setApplicationVersion(QStringLiteral(VELMAR_VERSION));
    // Docks and task bars group the running window with the menu entry of this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("ua.velmar.VelmarCom"));
    app.setWindowIcon(WindowIcon());
}

// Windows' own font engine (GDI) draws the Arial-like faces at the window's 11 pixels as their table of
// sizes asks, in one-bit black (Wine's GDI does so even where the desktop smooths with ClearType), and
// Liberation Sans then draws each "0" six columns wide with no blank column before the next. FreeType
// draws the same faces smoothed and each glyph apart at every size, as on Linux, and with the same
// widths, for which the controls are placed. Qt reads the choice from the platform's options when the
// application is made; a platform, or a font engine, that the operator names is kept.
void ChooseFontEngine()
{
    if (QSysInfo::kernelType() != QLatin1String("winnt"))
        return;
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        platform = "windows";
    if (platform != "windows" && !platform.startsWith("windows:"))
        return;
    if (platform.contains("fontengine="))
        return;
    platform += platform.contains(':') ? ",fontengine=freetype" : ":fontengine=freetype";
    qputenv("QT_QPA_PLATFORM", platform);
}

}  // namespace velmar
