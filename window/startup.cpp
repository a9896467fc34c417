#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>

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

}  // namespace velmar
