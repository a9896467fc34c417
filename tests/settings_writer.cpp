// Saves the settings over and over, with alternating values, until it is killed.

#include "entry_fields.h"
#include "form_fixture.h"

#include <QApplication>
#include <cstdio>

using namespace velmar;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    test::RecordingNotifier notifier;
    RunSettings run;
    run.listenPort = 0;
    run.settingsPath = QString::fromLocal8Bit(argv[1]);
    run.fallbackSettingsPath = run.settingsPath + ".user";
    TForm1_Config_UDP form(run, notifier);
    // One whole save of the loop's values before the test may kill this: from then on the file holds
    // one save of them, whenever the kill comes.
    for (int round = 1;; ++round) {
        const int value = round % 2 ? 1 : 2;
        test::setOctets(form.octets(0), {value, value, value, value});
        form.IND_MEdit->setValue(value);
        form.SaveSettings();
        if (round == 1) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
