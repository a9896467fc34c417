#include "design.h"

#include "captions.h"

namespace velmar {

namespace design {

namespace {

const char *const EchoCaption = nullptr;  // filled with the service URL at run time
const char *const IdentifierCaption = "Ідентифікатор плати\nНомер променя для\nпристрія сполучення";
const char *const RayCaption = "№ луча\n(мережевий)";

// clang-format off
const Row Rows[] = {
    // Top area
    {"CheckBox1", Kind::CheckBox, nullptr, 16, 0, 169, 17, "Перезапуск масиву", Hidden | Disabled},
    {"Ch_Box_Conf_IP", Kind::CheckBox, nullptr, 16, 24, 265, 17, "Конфігурування по Ідентифікатору", Hidden | Disabled},
    {"GroupBox6", Kind::GroupBox, nullptr, 128, 48, 200, 81, "  IP - Плати що конфігуруеться  "},
    {"Lab_IP1", Kind::Label, "GroupBox6", 8, 19, 0, 0, "010.000.000.002"},
    {"Lab_IP2", Kind::Label, "GroupBox6", 102, 19, 0, 0, "-----------------------------"},
    {"Ed_0", Kind::AddressPanel, "GroupBox6", 8, 40, 183, 33},
    {"Lab_Iden", Kind::Label, nullptr, 19, 75, 0, 0, "Ідентифікатор", Hidden},
    {"CoBox_Iden", Kind::ComboBox, nullptr, 12, 92, 111, 28, "", Hidden},
    {"Button3", Kind::Button, nullptr, 340, 41, 105, 88, "Reboot"},
    {"Lab_Port", Kind::Label, nullptr, 365, 74, 0, 0, "Port", Hidden},
    {"Pan_Port", Kind::Panel, nullptr, 336, 89, 87, 33, "", Hidden},
    {"CurEd_Port", Kind::Identifier, "Pan_Port", 5, 8, 76, 22, "", ReadOnly, 0, 8026},
    {"EditRs", Kind::Edit, nullptr, 410, 15, 21, 21, "__"},
    {"Label_In_IP", Kind::Label, nullptr, 463, 30, 97, 13, ""},
    {"Label_In_Port", Kind::Label, nullptr, 568, 30, 57, 13, ""},
    {"LabIdent", Kind::Label, nullptr, 463, 50, 34, 13, "0"},
    {"LabIn", Kind::Label, nullptr, 554, 50, 71, 13, "0"},
    {"Label5", Kind::Label, nullptr, 640, 56, 0, 0, ""},
    {"GroupBox7", Kind::GroupBox, nullptr, 456, 72, 225, 57, EchoCaption},
    {"Edit1", Kind::Edit, "GroupBox7", 10, 20, 167, 28, "000.000.000.000", ReadOnly | Bold},
    {"BitBtn1", Kind::RetryButton, "GroupBox7", 192, 20, 25, 28},
    {"Panel5", Kind::Panel, nullptr, 744, 80, 41, 41, "Stop", Hidden},
    {"Button7", Kind::Button, nullptr, 355, 136, 25, 529, "<-"},
    {"Memo1", Kind::Memo, nullptr, 728, 136, 288, 497, "", Hidden | ReadOnly},

    // Write side
    {"GroupBox2", Kind::GroupBox, nullptr, 8, 132, 345, 532},
    {"Button1", Kind::Button, "GroupBox2", 12, 25, 180, 40, "Записати"},
    {"Label55", Kind::Label, "GroupBox2", 209, 27, 70, 33, RayCaption, Hidden | Disabled},
    {"Panel3", Kind::Panel, "GroupBox2", 274, 24, 55, 33, "", Hidden | Disabled},
    {"Str_NL_W", Kind::Number, "Panel3", 5, 8, 41, 22, ""},
    {"ED_2", Kind::AddressPanel, "GroupBox2", 10, 72, 183, 33},
    {"Lab_ED_2", Kind::Label, "GroupBox2", 219, 80, 0, 0, "IP - Ліфта"},
    {"ED_3", Kind::AddressPanel, "GroupBox2", 10, 112, 183, 33},
    {"Lab_ED_3", Kind::Label, "GroupBox2", 219, 120, 0, 0, "MASK"},
    {"ED_4", Kind::AddressPanel, "GroupBox2", 10, 156, 183, 33},
    {"Lab_ED_4", Kind::Label, "GroupBox2", 219, 168, 0, 0, "ROUTER"},
    {"ED_5", Kind::MacPanel, "GroupBox2", 10, 197, 270, 33, "00 1E AF AF AF AF"},
    {"Lab_ED_5", Kind::Label, "GroupBox2", 289, 206, 0, 0, "MAC"},
    {"Button5", Kind::Button, "GroupBox2", 11, 235, 271, 23, "IP --> MAC"},
    {"GroupBox4", Kind::GroupBox, "GroupBox2", 8, 264, 321, 257, "Тип IP адреси"},
    {"CheckBox4", Kind::CheckBox, "GroupBox4", 12, 24, 293, 17, BoardStaticCaption},
    {"CheckBox2", Kind::CheckBox, "GroupBox4", 12, 56, 173, 17, ConsoleStaticCaption},
    {"Label6", Kind::Label, "GroupBox4", 16, 78, 0, 0, "IP - Комп'ютера диспетч.", Hidden},
    {"ED_1", Kind::AddressPanel, "GroupBox4", 10, 99, 183, 33, "", Hidden | Disabled},
    {"Label57", Kind::Label, "GroupBox4", 208, 48, 104, 39, IdentifierCaption, Hidden},
    {"IND_MEdit", Kind::Identifier, "GroupBox4", 220, 100, 84, 33, "", Hidden | Disabled},
    {"Label63", Kind::Label, "GroupBox4", 17, 141, 0, 0, "IP - Резервний №1", Hidden | Disabled},
    {"ED_11", Kind::AddressPanel, "GroupBox4", 11, 158, 183, 33, "", Hidden | Disabled},
    {"Label68", Kind::Label, "GroupBox4", 17, 199, 0, 0, "IP - Резервний №2", Hidden | Disabled},
    {"ED_12", Kind::AddressPanel, "GroupBox4", 11, 214, 183, 33, "", Hidden | Disabled},

    // Read side
    {"GroupBox1", Kind::GroupBox, nullptr, 384, 132, 345, 532},
    {"Label59", Kind::Label, "GroupBox1", 24, 8, 0, 0, "постійна памьять"},
    {"Label49", Kind::Label, "GroupBox1", 168, 8, 0, 0, "робоча конфігурація"},
    {"Button2", Kind::Button, "GroupBox1", 11, 25, 126, 40, "Прочитати", Shown, 0},
    {"Button8", Kind::Button, "GroupBox1", 155, 25, 126, 40, "Прочитати", Shown, 1},
    {"Label56", Kind::Label, "GroupBox1", 209, 27, 0, 0, RayCaption, Hidden | Disabled},
    {"Panel4", Kind::Panel, "GroupBox1", 274, 24, 55, 33, "", Hidden | Disabled},
    {"Str_NL_R", Kind::Edit, "Panel4", 10, 8, 33, 21, "000", ReadOnly, 0, 3},
    {"ED_7", Kind::AddressPanel, "GroupBox1", 10, 72, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_7", Kind::Label, "GroupBox1", 219, 80, 0, 0, "IP - Ліфта"},
    {"ED_8", Kind::AddressPanel, "GroupBox1", 10, 112, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_8", Kind::Label, "GroupBox1", 219, 120, 0, 0, "MASK"},
    {"ED_9", Kind::AddressPanel, "GroupBox1", 10, 152, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_9", Kind::Label, "GroupBox1", 219, 164, 0, 0, "ROUTER"},
    {"ED_10", Kind::MacPanel, "GroupBox1", 10, 197, 270, 33, "AF AF AF AF AF AF", Disabled | FieldsReadOnly},
    {"Lab_ED_10", Kind::Label, "GroupBox1", 289, 206, 0, 0, "MAC"},
    {"Lab_Ver", Kind::Label, "GroupBox1", 16, 240, 0, 0, "-------------"},
    {"GroupBox5", Kind::GroupBox, "GroupBox1", 16, 264, 321, 255, "Тип IP адреси"},
    {"CheckBox5", Kind::CheckBox, "GroupBox5", 11, 22, 302, 17, "Статична IP адреса Плати ( DHCP )", Hidden | Disabled},
    {"CheckBox3", Kind::CheckBox, "GroupBox5", 11, 45, 166, 17, ConsoleStaticCaption, Hidden | Disabled},
    {"Label11", Kind::Label, "GroupBox5", 24, 77, 0, 0, "IP - Комп'ютера диспетч.", Hidden},
    {"ED_6", Kind::AddressPanel, "GroupBox5", 10, 98, 183, 33, "", Hidden | Disabled | FieldsReadOnly},
    {"Label58", Kind::Label, "GroupBox5", 209, 51, 0, 0, IdentifierCaption, Hidden},
    {"CurrencyEdit1", Kind::Identifier, "GroupBox5", 221, 99, 84, 33, "", Hidden | Disabled | ReadOnly},
    {"Label64", Kind::Label, "GroupBox5", 17, 139, 0, 0, "IP - Резервний №1", Hidden},
    {"ED_61", Kind::AddressPanel, "GroupBox5", 10, 157, 183, 33, "", Hidden | Disabled | FieldsReadOnly},
    {"Label76", Kind::Label, "GroupBox5", 17, 197, 0, 0, "IP - Резервний №2", Hidden},
    {"ED_62", Kind::AddressPanel, "GroupBox5", 11, 212, 183, 33, "", Hidden},

    // Reboot sweep: shown by CheckBox1, which the window never shows; its settings are kept
    {"GroupBox3", Kind::GroupBox, nullptr, 0, 696, 385, 129, "", Hidden},
    {"Label53", Kind::Label, "GroupBox3", 25, 9, 0, 0, "IP - першої плати"},
    {"Panel1", Kind::AddressPanel, "GroupBox3", 7, 23, 183, 33, ""},
    {"Label54", Kind::Label, "GroupBox3", 68, 67, 0, 0, "кількість плат"},
    {"Panel2", Kind::Panel, "GroupBox3", 141, 58, 49, 33, ""},
    {"EdR1_0_IP_0", Kind::Number, "Panel2", 4, 8, 41, 22, "", Shown, 0, 1},
    {"Button4", Kind::Button, "GroupBox3", 195, 16, 89, 73, "Reboot START"},
    {"Button6", Kind::Button, "GroupBox3", 286, 16, 89, 73, "Reboot STOP"},
    {"Edit2", Kind::Edit, "GroupBox3", 11, 92, 113, 21, ""},
    {"ProgressBar1", Kind::Progress, "GroupBox3", 136, 100, 241, 17, "", Hidden},
};
// clang-format on

}  // namespace

std::span<const Row> DesignRows()
{
    return Rows;
}

}  // namespace design

}  // namespace velmar
