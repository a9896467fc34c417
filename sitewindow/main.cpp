// velmar-site: the boards of a whole site in one window, for the technician who never opens a console.

#include "site_window.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

using namespace velmar;

int main(int argc, char *argv[])
{
    const QString option = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (option == QLatin1String("--version") || option == QLatin1String("--help")) {
        QTextStream out(stdout);
        out << "velmar-site " << VELMAR_VERSION << '\n';
        if (option == QLatin1String("--help"))
            out << "The boards of a VELMAR site in one window: found by broadcast or at their addresses,\n"
                   "read, written and verified. No options. Its settings are kept in velmar-site.ini in\n"
                   "the user's configuration folder, under VELMAR.\n";
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmar-site"));
    QApplication::setOrganizationName(QStringLiteral("VELMAR"));
    LoadTranslation(QLocale::system());
    SiteWindow window(SiteWindow::Options{});
    window.show();
    return QApplication::exec();
}
