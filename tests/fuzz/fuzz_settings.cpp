// Any "VelmarCom.ini" an operator's disk may hold: the load never throws, hangs or crashes.

#include "form.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

struct Silent : Notifier
{
    void message(QWidget *, const QString &) override {}
    void error(QWidget *, const QString &) override {}
};

struct World
{
    int argc = 1;
    char name[8] = "fuzz";
    char *argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    QTemporaryDir dir;
    Silent notifier;
    std::unique_ptr<TForm1_Config_UDP> form;
    RunSettings run;

    World()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        run.listenPort = 0;
        run.settingsPath = dir.filePath("VelmarCom.ini");
        run.fallbackSettingsPath = dir.filePath("user/VelmarCom.ini");
        form = std::make_unique<TForm1_Config_UDP>(run, notifier);
    }
};

World &TheWorld()
{
    static World world;
    return world;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    World &world = TheWorld();
    QFile::remove(world.run.settingsPath + ".damaged");
    QFile file(world.run.settingsPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    world.form->LoadSettings();  // throws only on a fault of ours: libFuzzer reports it
    return 0;
}
