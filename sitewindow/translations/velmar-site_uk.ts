<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="uk_UA">
<context>
    <name>velmar::BoardTable</name>
    <message>
        <location filename="../board_table.cpp" line="63" />
        <source>Two boards answer at %1 (MACs %2): connect them one at a time and give each an address of its own</source>
        <translation>Дві плати відповідають з %1 (MAC %2): підключайте їх по одній і дайте кожній власну адресу</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="67" />
        <source>In %1, where this computer has no address: to reach it, run %2</source>
        <translation>У %1, де цей комп'ютер не має адреси: щоб дістатися до неї, виконайте %2</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="69" />
        <source>Answers at its address</source>
        <translation>Відповідає за своєю адресою</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="69" />
        <source>Answers</source>
        <translation>Відповідає</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="100" />
        <source>dynamic</source>
        <translation>динамічна</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="100" />
        <source>static</source>
        <translation>статична</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="101" />
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="101" />
        <source>fixed</source>
        <translation>постійна</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="114" />
        <source>Answered from</source>
        <translation>Відповіла з</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="115" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="116" />
        <source>Lift address</source>
        <translation>Адреса ліфта</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="117" />
        <source>Mask</source>
        <translation>Маска</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="118" />
        <source>Router</source>
        <translation>Маршрутизатор</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="119" />
        <source>Dispatcher</source>
        <translation>Диспетчер</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="120" />
        <source>Console</source>
        <translation>Пульт</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="121" />
        <source>Board address</source>
        <translation>Адреса плати</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="122" />
        <source>Identifier</source>
        <translation>Ідентифікатор</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="123" />
        <source>Version</source>
        <translation>Версія</translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="124" />
        <source>State</source>
        <translation>Стан</translation>
    </message>
</context>
<context>
    <name>velmar::MacFields</name>
    <message>
        <location filename="../site_window.cpp" line="393" />
        <source>Reserve address &amp;1</source>
        <translation>Резервна адреса &amp;1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="394" />
        <source>Reserve address &amp;2</source>
        <translation>Резервна адреса &amp;2</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="409" />
        <source>M&amp;AC</source>
        <translation>M&amp;AC</translation>
    </message>
</context>
<context>
    <name>velmar::ManyBoards</name>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>mask %1 is not a run of ones followed by zeros</source>
        <translation>маска %1 — не ряд одиниць, за яким ідуть нулі</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>mask 255.255.255.255 leaves the board no subnet to reach its router or dispatcher through</source>
        <translation>маска 255.255.255.255 не лишає платі підмережі, через яку досягти маршрутизатора чи диспетчера</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address 0.0.0.0</source>
        <translation>адреса ліфта 0.0.0.0</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is in 0.0.0.0/8, which names no host</source>
        <translation>адреса ліфта %1 — у 0.0.0.0/8, що не називає жодного вузла</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is a loopback address</source>
        <translation>адреса ліфта %1 — адреса петлі (loopback)</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is a multicast address</source>
        <translation>адреса ліфта %1 — групова (multicast) адреса</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address 255.255.255.255 is the broadcast address</source>
        <translation>адреса ліфта 255.255.255.255 — широкомовна адреса</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is in the reserved range 240.0.0.0/4</source>
        <translation>адреса ліфта %1 — у зарезервованому діапазоні 240.0.0.0/4</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is the network address of its subnet</source>
        <translation>адреса ліфта %1 — адреса мережі своєї підмережі</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is the broadcast address of its subnet</source>
        <translation>адреса ліфта %1 — широкомовна адреса своєї підмережі</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is outside the subnet of %2/%3</source>
        <translation>маршрутизатор %1 — поза підмережею %2/%3</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the lift address itself</source>
        <translation>маршрутизатор %1 — це сама адреса ліфта</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the network address of its subnet</source>
        <translation>маршрутизатор %1 — адреса мережі своєї підмережі</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the broadcast address of its subnet</source>
        <translation>маршрутизатор %1 — широкомовна адреса своєї підмережі</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>MAC %1 is no address of one board</source>
        <translation>MAC %1 — не адреса однієї плати</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>MAC %1 is a multicast address (lowest bit of the first byte set)</source>
        <translation>MAC %1 — групова адреса (встановлено молодший біт першого байта)</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>a board on DHCP needs a dynamic console</source>
        <translation>платі на DHCP потрібна динамічна консоль</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>no answer</source>
        <translation>немає відповіді</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>answered, but not with what was asked: %1</source>
        <translation>відповіла, але не тим, про що питали: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>not reachable from this computer</source>
        <translation>недосяжна з цього комп'ютера</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>answered only after the time-out of %1 ms: give it more time</source>
        <translation>відповіла лише після часу очікування %1 мс: дайте їй більше часу</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>two boards answer at this address: %1</source>
        <translation>за цією адресою відповідають дві плати: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="81" />
        <source>%1: %2 %3 → %4</source>
        <translation>%1: %2 %3 → %4</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="85" />
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation>%1: %2 буде %3, а не %4 (запис цього не переносить)</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="92" />
        <source>%1: refused: %2</source>
        <translation>%1: відхилено: %2</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="98" />
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation>%1: тим часом записано іншим конфігуратором: %2 %3 → %4</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="105" />
        <source>not rebooted: no usable answer</source>
        <translation>не перезавантажено: немає придатної відповіді</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="111" />
        <source>rebooting</source>
        <translation>перезавантажується</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="112" />
        <source>no acknowledgement: not rebooted</source>
        <translation>немає підтвердження: не перезавантажено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="114" />
        <source>answered without an acknowledgement: not rebooted</source>
        <translation>відповіла без підтвердження: не перезавантажено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="117" />
        <source>unreachable from this computer: not rebooted</source>
        <translation>недосяжна з цього комп&apos;ютера: не перезавантажено</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="123" />
        <source>Waiting for %n board(s) to answer again: %1 of %2 s</source>
        <translation>
            <numerusform>Очікування, поки %n плата відповість знову: %1 з %2 с</numerusform><numerusform>Очікування, поки %n плати відповідять знову: %1 з %2 с</numerusform><numerusform>Очікування, поки %n плат відповідять знову: %1 з %2 с</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="136" />
        <source>answers again after %1 ms</source>
        <translation>відповідає знову через %1 мс</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="137" />
        <source>answers again at %1 after %2 ms</source>
        <translation>відповідає знову з %1 через %2 мс</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="161" />
        <source>already holds it: nothing sent</source>
        <translation>вже має це: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="162" />
        <source>checked: nothing sent</source>
        <translation>перевірено: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="164" />
        <source>refused, nothing sent: %1</source>
        <translation>відхилено, нічого не надіслано: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="165" />
        <source>kept</source>
        <translation>збережено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="170" />
        <source>%1 holds %2</source>
        <translation>%1 має %2</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="171" />
        <source>not kept: %1</source>
        <translation>не збережено: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="173" />
        <source>overtaken by another write</source>
        <translation>випереджено іншим записом</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="175" />
        <source>sent, then cancelled: not confirmed</source>
        <translation>надіслано, потім скасовано: не підтверджено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="176" />
        <source>sent, and no answer showed it kept: not confirmed</source>
        <translation>надіслано, але жодна відповідь не показала збереження: не підтверджено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="199" />
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="210" />
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="210" />
        <source>fixed</source>
        <translation>постійна</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="217" />
        <source>two boards answer at this address (MACs %1): nothing written</source>
        <translation>за цією адресою відповідають дві плати (MAC %1): нічого не записано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="220" />
        <source>left as it was</source>
        <translation>залишено як було</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="222" />
        <source>the port where the boards answer is held by another program</source>
        <translation>порт, на який відповідають плати, зайнятий іншою програмою</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="223" />
        <source>refused: nothing written</source>
        <translation>відхилено: нічого не записано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="224" />
        <source>cannot be written: %1</source>
        <translation>не можна записати: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="227" />
        <source>another run on this computer holds its lock (%1): nothing written; try again when it is done</source>
        <translation>її блокування тримає інший запуск на цьому комп&apos;ютері (%1): нічого не записано; спробуйте знову, коли він завершиться</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="230" />
        <source>failed, nothing written: %1</source>
        <translation>помилка, нічого не записано: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="237" />
        <source>One change to the chosen boards</source>
        <translation>Одна зміна для вибраних плат</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="269" />
        <source>&amp;Field</source>
        <translation>&amp;Поле</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="270" />
        <source>&amp;New value</source>
        <translation>&amp;Нове значення</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="307" />
        <source>Go ahead?</source>
        <translation>Продовжити?</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="312" />
        <source>C&amp;hange chosen boards ...</source>
        <translation>&amp;Змінити вибрані плати ...</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="315" />
        <source>&amp;Reboot chosen boards ...</source>
        <translation>П&amp;ерезавантажити вибрані плати ...</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="350" />
        <source>The lift address and the MAC name one board: write them to one board at a time.</source>
        <translation>Адреса ліфта і MAC належать одній платі: записуйте їх по одній платі.</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="354" />
        <source>A board on DHCP needs a dynamic console, and the dispatcher, identifier and reserve addresses go only with a dynamic console.</source>
        <translation>Плата на DHCP потребує динамічного пульта, а диспетчер, ідентифікатор і резервні адреси передаються лише з динамічним пультом.</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="360" />
        <source>%1 names no board (a broadcast or network address): every board that hears it would take what is sent there.</source>
        <translation>%1 не є адресою плати (широкомовна адреса або адреса мережі): кожна плата, що її чує, прийняла б надіслане туди.</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="364" />
        <source>%1 is this computer&apos;s own address, not a board&apos;s.</source>
        <translation>%1 — власна адреса цього комп&apos;ютера, а не плати.</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="368" />
        <source>Nothing was sent.</source>
        <translation>Нічого не надіслано.</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="383" />
        <source>Write %1 to %n board(s)?

%2

Each board&apos;s configuration is backed up first in a new folder under %3.</source>
        <translation>
            <numerusform>Записати %1 у %n плату?

%2

Спершу конфігурацію кожної плати буде збережено в новій теці в %3.</numerusform><numerusform>Записати %1 у %n плати?

%2

Спершу конфігурацію кожної плати буде збережено в новій теці в %3.</numerusform><numerusform>Записати %1 у %n плат?

%2

Спершу конфігурацію кожної плати буде збережено в новій теці в %3.</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="432" />
        <source>no usable answer: nothing written</source>
        <translation>немає придатної відповіді: нічого не записано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="440" />
        <source>its console is static: the dispatcher, identifier and reserve addresses go only with a dynamic one; nothing written</source>
        <translation>її пульт статичний: диспетчер, ідентифікатор і резервні адреси передаються лише з динамічним; нічого не записано</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="448" />
        <source>backed up</source>
        <translation>копію збережено</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="485" />
        <source>waiting</source>
        <translation>очікує</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="487" />
        <source>Writing %1 to %n board(s) ...</source>
        <translation>
            <numerusform>Запис %1 у %n плату ...</numerusform><numerusform>Запис %1 у %n плати ...</numerusform><numerusform>Запис %1 у %n плат ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="497" />
        <source>%1 of %n board(s) kept the write</source>
        <translation>
            <numerusform>%1 з %n плати зберегли запис</numerusform><numerusform>%1 з %n плат зберегли запис</numerusform><numerusform>%1 з %n плат зберегли запис</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="500" />
        <source>%n not kept</source>
        <translation>
            <numerusform>%n не зберегла</numerusform><numerusform>%n не зберегли</numerusform><numerusform>%n не зберегли</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="501" />
        <source>%n overtaken</source>
        <translation>
            <numerusform>%n випереджено</numerusform><numerusform>%n випереджено</numerusform><numerusform>%n випереджено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="502" />
        <source>%n sent and not confirmed</source>
        <translation>
            <numerusform>%n надіслано й не підтверджено</numerusform><numerusform>%n надіслано й не підтверджено</numerusform><numerusform>%n надіслано й не підтверджено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="503" />
        <source>%n already held it</source>
        <translation>
            <numerusform>%n вже мала це</numerusform><numerusform>%n вже мали це</numerusform><numerusform>%n вже мали це</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="504" />
        <source>%n refused</source>
        <translation>
            <numerusform>%n відхилено</numerusform><numerusform>%n відхилено</numerusform><numerusform>%n відхилено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="505" />
        <source>%n not written</source>
        <translation>
            <numerusform>%n не записано</numerusform><numerusform>%n не записано</numerusform><numerusform>%n не записано</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="506" />
        <source>%n left as it was</source>
        <translation>
            <numerusform>%n залишено як було</numerusform><numerusform>%n залишено як було</numerusform><numerusform>%n залишено як було</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="512" />
        <source>Cancelled: %1</source>
        <translation>Скасовано: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="515" />
        <source>Each board&apos;s configuration before the write: %1</source>
        <translation>Конфігурація кожної плати до запису: %1</translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="518" />
        <source>No backup was made; nothing was sent.</source>
        <translation>Копію не збережено; нічого не надіслано.</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="534" />
        <source>Reboot %n board(s)? Their lifts lose the connection until they are up again.

%1</source>
        <translation>
            <numerusform>Перезавантажити %n плату? Її ліфт втратить зв&apos;язок, доки вона не запрацює знову.

%1</numerusform><numerusform>Перезавантажити %n плати? Їхні ліфти втратять зв&apos;язок, доки вони не запрацюють знову.

%1</numerusform><numerusform>Перезавантажити %n плат? Їхні ліфти втратять зв&apos;язок, доки вони не запрацюють знову.

%1</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="566" />
        <source>still silent after %1 s</source>
        <translation>досі мовчить через %1 с</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="575" />
        <source>Rebooting %n board(s) ...</source>
        <translation>
            <numerusform>Перезавантаження %n плати ...</numerusform><numerusform>Перезавантаження %n плат ...</numerusform><numerusform>Перезавантаження %n плат ...</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="588" />
        <source>Cancelled before any board acknowledged a reboot</source>
        <translation>Скасовано до того, як будь-яка плата підтвердила перезавантаження</translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="590" />
        <source>Cancelled: %n board(s) acknowledged the reboot and are rebooting; the wait for them stopped</source>
        <translation>
            <numerusform>Скасовано: %n плата підтвердила перезавантаження й перезавантажується; очікування на неї зупинено</numerusform><numerusform>Скасовано: %n плати підтвердили перезавантаження й перезавантажуються; очікування на них зупинено</numerusform><numerusform>Скасовано: %n плат підтвердили перезавантаження й перезавантажуються; очікування на них зупинено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="595" />
        <source>%1 of %n board(s) answered again after the reboot</source>
        <translation>
            <numerusform>%1 з %n плати відповіли знову після перезавантаження</numerusform><numerusform>%1 з %n плат відповіли знову після перезавантаження</numerusform><numerusform>%1 з %n плат відповіли знову після перезавантаження</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="599" />
        <source>%n still silent after %1 s</source>
        <translation>
            <numerusform>%n досі мовчить через %1 с</numerusform><numerusform>%n досі мовчать через %1 с</numerusform><numerusform>%n досі мовчать через %1 с</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="604" />
        <source>%n not rebooted</source>
        <translation>
            <numerusform>%n не перезавантажено</numerusform><numerusform>%n не перезавантажено</numerusform><numerusform>%n не перезавантажено</numerusform></translation>
    </message>
</context>
<context>
    <name>velmar::SiteWindow</name>
    <message>
        <location filename="../site_window.cpp" line="64" />
        <source>lift address</source>
        <translation>адреса ліфта</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="65" />
        <source>mask</source>
        <translation>маска</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="66" />
        <source>router</source>
        <translation>маршрутизатор</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="67" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="68" />
        <source>dispatcher</source>
        <translation>диспетчер</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="69" />
        <source>identifier</source>
        <translation>ідентифікатор</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="70" />
        <source>console</source>
        <translation>пульт</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="71" />
        <source>board's address</source>
        <translation>адреса плати</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="72" />
        <source>reserve address 1</source>
        <translation>резервна адреса 1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="73" />
        <source>reserve address 2</source>
        <translation>резервна адреса 2</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="82" />
        <source>dynamic</source>
        <translation>динамічна</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="84" />
        <source>static</source>
        <translation>статична</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="86" />
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="106" />
        <source>%1: %2 %3 → %4</source>
        <translation>%1: %2 %3 → %4</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="110" />
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation>%1: %2 буде %3, а не %4 (запис цього не переносить)</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="117" />
        <source>%1: sent anyway: %2</source>
        <translation>%1: надіслано попри це: %2</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="117" />
        <source>%1: refused: %2</source>
        <translation>%1: відхилено: %2</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="125" />
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation>%1: тим часом записано іншим конфігуратором: %2 %3 → %4</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="157" />
        <source>The board already holds this: nothing sent.</source>
        <translation>Плата вже має це: нічого не надіслано.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="158" />
        <source>Checked: nothing sent.</source>
        <translation>Перевірено: нічого не надіслано.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="159" />
        <location filename="../site_window.cpp" line="868" />
        <source>Refused: nothing sent.</source>
        <translation>Відхилено: нічого не надіслано.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="160" />
        <source>Written and kept.</source>
        <translation>Записано і збережено.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="161" />
        <source>Written, but not all of it kept.</source>
        <translation>Записано, але збережено не все.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="163" />
        <source>Overtaken by another write: the board holds neither its old values nor these.</source>
        <translation>Випереджено іншим записом: плата не має ні старих значень, ні цих.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="167" />
        <source>Cancelled after the write was sent: not confirmed that the board kept it. Read it again.</source>
        <translation>Скасовано після надсилання запису: не підтверджено, що плата його зберегла. Прочитайте її знову.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="169" />
        <source>Sent, and no answer showed it kept: not confirmed.</source>
        <translation>Надіслано, але жодна відповідь не показала збереження: не підтверджено.</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="218" />
        <source>Send anyway?</source>
        <translation>Надіслати попри це?</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="219" />
        <source>This configuration may leave the board unreachable or broken:

%1

Send it anyway?</source>
        <translation>Ця конфігурація може зробити плату недосяжною або несправною:

%1

Надіслати попри це?</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="225" />
        <source>VELMAR site boards</source>
        <translation>Плати об'єкта ВЕЛМАР</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="247" />
        <source>Cancelled: %1</source>
        <translation>Скасовано: %1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="249" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation>UDP-порт %1, на який відповідають плати, зайнятий іншою програмою (конфігуратором?): закрийте її і спробуйте знову</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="274" />
        <source>&amp;Find boards</source>
        <translation>&amp;Знайти плати</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="276" />
        <source>&amp;Add address or range</source>
        <translation>&amp;Додати адресу або діапазон</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="278" />
        <source>&amp;Write board</source>
        <translation>&amp;Записати плату</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="279" />
        <source>&amp;Cancel</source>
        <translation>&amp;Скасувати</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="280" />
        <source>&amp;Copy command</source>
        <translation>&amp;Копіювати команду</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="282" />
        <source>F&amp;ilter</source>
        <translation>&amp;Фільтр</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="283" />
        <source>&amp;Quit</source>
        <translation>&amp;Вийти</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="284" />
        <source>&amp;Back up chosen boards ...</source>
        <translation>Зберегти &amp;копію вибраних плат ...</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="286" />
        <source>&amp;Log</source>
        <translation>&amp;Журнал</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="304" />
        <source>Folder of the backups</source>
        <translation>Тека резервних копій</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="312" />
        <source>&amp;Site</source>
        <translation>&amp;Об'єкт</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="318" />
        <source>&amp;Board</source>
        <translation>&amp;Плата</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;View</source>
        <translation>&amp;Вигляд</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="329" />
        <source>Site</source>
        <translation>Об'єкт</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="333" />
        <source>Where to look for boards: every adapter, or one</source>
        <translation>Де шукати плати: через усі адаптери або один</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="339" />
        <source> ms</source>
        <translation> мс</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="340" />
        <source>How long to wait for each answer</source>
        <translation>Скільки чекати на кожну відповідь</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="344" />
        <source>Address or range: 10.0.0.2-10.0.0.40</source>
        <translation>Адреса або діапазон: 10.0.0.2-10.0.0.40</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="345" />
        <source>Boards that hear no broadcast, asked at their addresses</source>
        <translation>Плати, що не чують широкомовних запитів, опитуються за адресами</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="352" />
        <source>Filter</source>
        <translation>Фільтр</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="375" />
        <location filename="../site_window.cpp" line="735" />
        <source>No board chosen</source>
        <translation>Плату не вибрано</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Lift address</source>
        <translation>Адреса &amp;ліфта</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Mask</source>
        <translation>&amp;Маска</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Router</source>
        <translation>Ма&amp;ршрутизатор</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Dispatcher</source>
        <translation>&amp;Диспетчер</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="395" />
        <source>&amp;Identifier</source>
        <translation>&amp;Ідентифікатор</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="398" />
        <source>Console takes a d&amp;ynamic address</source>
        <translation>Пульт отримує &amp;динамічну адресу</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="400" />
        <source>Board takes its address by D&amp;HCP</source>
        <translation>Плата отримує адресу через D&amp;HCP</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="429" />
        <source>Log</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="452" />
        <source>Every adapter</source>
        <translation>Усі адаптери</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="532" />
        <source>Cancelling ...</source>
        <translation>Скасування ...</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="558" />
        <source>nothing kept</source>
        <translation>нічого не збережено</translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="572" />
        <source>Backing up %n board(s) ...</source>
        <translation>
            <numerusform>Копіювання %n плати ...</numerusform><numerusform>Копіювання %n плат ...</numerusform><numerusform>Копіювання %n плат ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="581" />
        <source>%n board(s) backed up in %1</source>
        <translation>
            <numerusform>Копію %n плати збережено в %1</numerusform><numerusform>Копії %n плат збережено в %1</numerusform><numerusform>Копії %n плат збережено в %1</numerusform></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="585" />
        <source>No answer, not backed up: %1</source>
        <translation>Немає відповіді, копію не збережено: %1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="615" />
        <location filename="../site_window.cpp" line="631" />
        <source>Asking %1</source>
        <translation>Запит до %1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="619" />
        <source>Refused by the system: %1</source>
        <translation>Система відмовила: %1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="654" />
        <source>Looking for boards ...</source>
        <translation>Пошук плат ...</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="654" />
        <source>Asking the boards added ...</source>
        <translation>Опитування доданих плат ...</translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="667" />
        <source>%n board(s) found</source>
        <translation>
            <numerusform>Знайдено %n плату</numerusform><numerusform>Знайдено %n плати</numerusform><numerusform>Знайдено %n плат</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="669" />
        <source>; %n address(es) silent</source>
        <translation>
            <numerusform>; %n адреса мовчить</numerusform><numerusform>; %n адреси мовчать</numerusform><numerusform>; %n адрес мовчать</numerusform></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="671" />
        <source>; cancelled: what answered until then</source>
        <translation>; скасовано: показано, що відповіло до того</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="739" />
        <source>Board %1 at %2</source>
        <translation>Плата %1 за адресою %2</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="763" />
        <source>Copied: %1</source>
        <translation>Скопійовано: %1</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="844" />
        <source>Writing %1 ...</source>
        <translation>Запис %1 ...</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="857" />
        <source>%1 %2: kept</source>
        <translation>%1 %2: збережено</translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="858" />
        <source>%1 %2: not kept (the board holds %3)</source>
        <translation>%1 %2: не збережено (плата має %3)</translation>
    </message>
</context>
<context>
    <name>velmar::AuditReport</name>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>answers at %1 instead of %2</source>
        <translation>відповідає за %1 замість %2</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>%1 %2 (planned %3)</source>
        <translation>%1 %2 (за планом %3)</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>runs %1 %2 (stored %3)</source>
        <translation>працює з %1 %2 (збережено %3)</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>two boards (MACs %1) answer at %2</source>
        <translation>дві плати (MAC %1) відповідають за %2</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>MAC %1</source>
        <translation>MAC %1</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="31" />
        <source>as planned</source>
        <translation>як у плані</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="32" />
        <source>differs</source>
        <translation>відрізняється</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="33" />
        <source>moved</source>
        <translation>переміщена</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="34" />
        <source>reboot pending</source>
        <translation>чекає перезапуску</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="35" />
        <source>silent</source>
        <translation>мовчить</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="36" />
        <source>two boards</source>
        <translation>дві плати</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="37" />
        <source>not in plan</source>
        <translation>немає в плані</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="45" />
        <source>%1, reboot pending</source>
        <translation>%1, чекає перезапуску</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="68" />
        <source>write the planned values: choose the board in the site window, set the fields named and write it</source>
        <translation>запишіть значення з плану: виберіть плату у вікні об&apos;єкта, виправте названі поля й запишіть її</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="71" />
        <source>give the board its planned address: write its planned lift address, then restart it</source>
        <translation>дайте платі адресу з плану: запишіть її адресу ліфта з плану, потім перезапустіть плату</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="72" />
        <source>restart the board so that it runs what it stored</source>
        <translation>перезапустіть плату, щоб вона працювала з тим, що зберегла</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="73" />
        <source>check power and cable, then audit again</source>
        <translation>перевірте живлення й кабель, потім перевірте об&apos;єкт ще раз</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="74" />
        <source>disconnect one, commission it again</source>
        <translation>від&apos;єднайте одну й налаштуйте її заново</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="75" />
        <source>a board the plan does not name: add it to the plan, or disconnect it</source>
        <translation>плата, якої немає в плані: додайте її до плану або від&apos;єднайте</translation>
    </message>
    <message numerus="yes">
        <location filename="../audit_report.cpp" line="82" />
        <source>Audit of %1 (%n lift(s)), %2</source>
        <translation>
            <numerusform>Перевірка %1 (%n ліфт), %2</numerusform><numerusform>Перевірка %1 (%n ліфти), %2</numerusform><numerusform>Перевірка %1 (%n ліфтів), %2</numerusform></translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="84" />
        <source>PRACTICE SITE, not a real one: %1</source>
        <translation>НАВЧАЛЬНИЙ ОБ&apos;ЄКТ, не справжній: %1</translation>
    </message>
    <message numerus="yes">
        <location filename="../audit_report.cpp" line="89" />
        <source>%n lift(s): </source>
        <translation>
            <numerusform>%n ліфт: </numerusform><numerusform>%n ліфти: </numerusform><numerusform>%n ліфтів: </numerusform></translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="90" />
        <source>%1 as planned, %2 differ, %3 moved, %4 silent, %5 with two boards; %6 with a reboot pending; %7 board(s) not in plan, %8 other address(es) with two boards</source>
        <translation>як у плані: %1, відрізняються: %2, переміщені: %3, мовчать: %4, з двома платами: %5; чекають перезапуску: %6; плат поза планом: %7, інших адрес із двома платами: %8</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>lift</source>
        <translation>ліфт</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>address</source>
        <translation>адреса</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>state</source>
        <translation>стан</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>details</source>
        <translation>подробиці</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="123" />
        <location filename="../audit_report.cpp" line="211" />
        <location filename="../audit_report.cpp" line="219" />
        <source>%1 (practice site)</source>
        <translation>%1 (навчальний об&apos;єкт)</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="133" />
        <source>en</source>
        <comment>the language code of the report page</comment>
        <translation>uk</translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="210" />
        <source>%1, %2, page %3</source>
        <translation>%1, %2, сторінка %3</translation>
    </message>
</context>
<context>
    <name>velmar::AuditView</name>
    <message>
        <location filename="../audit_view.cpp" line="28" />
        <location filename="../audit_view.cpp" line="135" />
        <source>Audit of a site</source>
        <translation>Перевірка об&apos;єкта</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="36" />
        <source>&amp;Open plan and audit ...</source>
        <translation>&amp;Відкрити план і перевірити ...</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="37" />
        <source>&amp;Audit again</source>
        <translation>Перевірити &amp;ще раз</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="38" />
        <source>&amp;Save report ...</source>
        <translation>&amp;Зберегти звіт ...</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="39" />
        <source>&amp;Print / PDF ...</source>
        <translation>&amp;Друк / PDF ...</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="40" />
        <source>P&amp;rint ...</source>
        <translation>Дру&amp;кувати ...</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="42" />
        <source>&amp;Cancel</source>
        <translation>&amp;Скасувати</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="44" />
        <source>The site&apos;s plan</source>
        <translation>План об&apos;єкта</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="45" />
        <source>Plans (*.csv *.txt);;All files (*)</source>
        <translation>Плани (*.csv *.txt);;Усі файли (*)</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="52" />
        <source>Save report</source>
        <translation>Зберегти звіт</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="53" />
        <source>Web pages (*.html)</source>
        <translation>Веб-сторінки (*.html)</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="58" />
        <source>Save report as PDF</source>
        <translation>Зберегти звіт як PDF</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="59" />
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="66" />
        <source>&amp;Audit</source>
        <translation>&amp;Перевірка</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="67" />
        <source>Audit</source>
        <translation>Перевірка</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="77" />
        <source> ms</source>
        <translation> мс</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="78" />
        <source>How long to wait for each answer</source>
        <translation>Скільки чекати на кожну відповідь</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="105" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation>НАВЧАЛЬНИЙ ОБ&apos;ЄКТ: імітовані плати на цьому комп&apos;ютері</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="113" />
        <source>Cancelled: %1</source>
        <translation>Скасовано: %1</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="115" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation>UDP-порт %1, на який відповідають плати, зайнятий іншою програмою (конфігуратором?): закрийте її й спробуйте знову</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="135" />
        <source>Audit of a site: PRACTICE SITE</source>
        <translation>Перевірка об&apos;єкта: НАВЧАЛЬНИЙ ОБ&apos;ЄКТ</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="168" />
        <source>The plan cannot be used, nothing read:</source>
        <translation>План не можна використати, нічого не прочитано:</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="190" />
        <source>subnet %1 has %2 addresses; read are %3 of them around its lifts</source>
        <translation>підмережа %1 має %2 адрес; прочитано %3 з них довкола її ліфтів</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="196" />
        <source>nothing audited</source>
        <translation>нічого не перевірено</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="199" />
        <source>Reading the site against %1 (%2) ...</source>
        <translation>Читання об&apos;єкта за планом %1 (%2) ...</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="240" />
        <location filename="../audit_view.cpp" line="251" />
        <source>Cannot write %1: %2</source>
        <translation>Не вдалося записати %1: %2</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="243" />
        <location filename="../audit_view.cpp" line="254" />
        <source>Report saved in %1</source>
        <translation>Звіт збережено в %1</translation>
    </message>
    <message>
        <location filename="../audit_view.cpp" line="260" />
        <source>A&amp;udit against a plan ...</source>
        <translation>Пе&amp;ревірити за планом ...</translation>
    </message>
</context>
<context>
    <name>velmar::PracticeSite</name>
    <message>
        <location filename="../practice_site.cpp" line="44" />
        <source>choose a folder for the practice site</source>
        <translation>виберіть теку для навчального об'єкта</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="43" />
        <source>there is no folder %1</source>
        <translation>немає теки %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="46" />
        <source>practice site %1</source>
        <translation>навчальний об&apos;єкт %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="53" />
        <source>cannot make a folder in %1</source>
        <translation>не вдалося створити теку в %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="98" />
        <source>velmar-board is not beside this program</source>
        <translation>velmar-board немає поруч із цією програмою</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="110" />
        <source>Lift %1</source>
        <translation>Ліфт %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="113" />
        <source>the practice&apos;s addresses cannot make a plan: %1</source>
        <translation>з адрес навчального об&apos;єкта не складається план: %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="120" />
        <source>practice-plan</source>
        <translation>навчальний-план</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="164" />
        <source>a stand-in board did not start: %1</source>
        <translation>імітована плата не запустилася: %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="194" />
        <source>Start a &amp;practice site ...</source>
        <translation>Запустити &amp;навчальний об&apos;єкт ...</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="195" />
        <source>&amp;End the practice site</source>
        <translation>&amp;Завершити навчальний об&apos;єкт</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="196" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation>НАВЧАЛЬНИЙ ОБ&apos;ЄКТ: імітовані плати на цьому комп&apos;ютері</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="203" />
        <source>%1: PRACTICE SITE</source>
        <translation>%1: НАВЧАЛЬНИЙ ОБ&apos;ЄКТ</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="210" />
        <location filename="../practice_site.cpp" line="265" />
        <source>Practice site</source>
        <translation>Навчальний об&apos;єкт</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="212" />
        <source>Stand-in boards on this computer and a plan that names them, to rehearse a search, a commissioning and an audit without hardware. They end with the practice or the window.</source>
        <translation>Імітовані плати на цьому комп&apos;ютері та план, що їх називає, щоб відпрацювати пошук, налаштування й перевірку без обладнання. Вони завершуються разом із навчанням або вікном.</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="220" />
        <source>Lifts in the plan</source>
        <translation>Ліфтів у плані</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="221" />
        <source>a silent board (the last lift has none)</source>
        <translation>плата, що мовчить (в останнього ліфта її немає)</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="222" />
        <source>two boards on one address</source>
        <translation>дві плати на одній адресі</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="223" />
        <source>a board that keeps only part of a write</source>
        <translation>плата, що зберігає лише частину запису</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="224" />
        <source>a slow board (answers after 0.3 s)</source>
        <translation>повільна плата (відповідає через 0,3 с)</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="230" />
        <source>Here every loopback address is one: one board runs, the other lifts are silent.</source>
        <translation>Тут усі адреси loopback — одна: працює одна плата, інші ліфти мовчать.</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="237" />
        <source>Choose ...</source>
        <translation>Вибрати ...</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="240" />
        <source>Folder of the practice&apos;s plan</source>
        <translation>Тека плану навчального об&apos;єкта</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="247" />
        <source>Plan&apos;s folder</source>
        <translation>Тека плану</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="268" />
        <source>Practice site: boards at %1, the plan in %2</source>
        <translation>Навчальний об&apos;єкт: плати на %1, план у %2</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="281" />
        <source>to commission: the lifts have no boards yet, each comes new when wanted</source>
        <translation>для введення в дію: у ліфтів ще немає плат, кожна приходить нова, коли потрібна</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="330" />
        <source>The lifts wait to be commissioned; new boards come at %1</source>
        <translation>Ліфти чекають на введення в дію; нові плати з&apos;являються з %1</translation>
    </message>
    <message>
        <location filename="../practice_site.cpp" line="108" />
        <source>here every loopback address is one: a practice site to commission needs several</source>
        <translation>тут усі адреси loopback — одна: навчальному об&apos;єкту для введення в дію потрібно кілька</translation>
    </message>
</context>
<context>
    <name>velmar::CommissionView</name>
    <message>
        <location filename="../commission_view.cpp" line="38" />
        <location filename="../commission_view.cpp" line="78" />
        <location filename="../commission_view.cpp" line="170" />
        <source>Commissioning</source>
        <translation>Введення в дію</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="41" />
        <source>&amp;Open plan ...</source>
        <translation>&amp;Відкрити план ...</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="43" />
        <source>&amp;Start / continue</source>
        <translation>&amp;Почати / продовжити</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="45" />
        <source>&amp;Cancel</source>
        <translation>&amp;Скасувати</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="47" />
        <source>&amp;Forget the selected row&apos;s board ...</source>
        <translation>&amp;Забути плату вибраного рядка ...</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="49" />
        <source>The site&apos;s plan</source>
        <translation>План об&apos;єкта</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="50" />
        <source>Plans (*.csv *.txt);;All files (*)</source>
        <translation>Плани (*.csv *.txt);;Усі файли (*)</translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="59" />
        <source>%n row(s) lie in a subnet this computer has no address in: their boards could not be found after their reboot. Go on all the same?</source>
        <translation>
            <numerusform>%n рядок лежить у підмережі, де цей комп&apos;ютер не має адреси: його плату не знайти після перезавантаження. Все одно продовжити?</numerusform><numerusform>%n рядки лежать у підмережі, де цей комп&apos;ютер не має адреси: їхні плати не знайти після перезавантаження. Все одно продовжити?</numerusform><numerusform>%n рядків лежать у підмережі, де цей комп&apos;ютер не має адреси: їхні плати не знайти після перезавантаження. Все одно продовжити?</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="71" />
        <source>Give up the board of %1 (%2)? The row is then free for a new board, and that board is no longer waited for.</source>
        <translation>Відмовитися від плати %1 (%2)? Рядок тоді вільний для нової плати, а на цю плату більше не чекають.</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="77" />
        <source>&amp;Commissioning</source>
        <translation>&amp;Введення в дію</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="84" />
        <source> New boards answer at </source>
        <translation> Нові плати відповідають з </translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="86" />
        <source>The factory address of a new board</source>
        <translation>Заводська адреса нової плати</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>at the factory address</source>
        <translation>на заводській адресі</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>written</source>
        <translation>записано</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>kept</source>
        <translation>збережено</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>rebooting</source>
        <translation>перезавантаження</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="108" />
        <source>answers at its address</source>
        <translation>відповідає за своєю адресою</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="108" />
        <location filename="../commission_view.cpp" line="203" />
        <source>done</source>
        <translation>готово</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Row</source>
        <translation>Рядок</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Address</source>
        <translation>Адреса</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>State</source>
        <translation>Стан</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Board</source>
        <translation>Плата</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Note</source>
        <translation>Примітка</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="131" />
        <source>The plan&apos;s check</source>
        <translation>Перевірка плану</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="136" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation>НАВЧАЛЬНИЙ ОБ&apos;ЄКТ: плати-замінники на цьому комп&apos;ютері</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="146" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation>UDP-порт %1, на який відповідають плати, зайнятий іншою програмою (конфігуратором?): закрийте її і спробуйте ще раз</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="150" />
        <location filename="../commission_view.cpp" line="460" />
        <source>Stopped</source>
        <translation>Зупинено</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="170" />
        <source>Commissioning: PRACTICE SITE</source>
        <translation>Введення в дію: НАВЧАЛЬНИЙ ОБ&apos;ЄКТ</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="196" />
        <source>%1 (%2 of %3)</source>
        <translation>%1 (%2 з %3)</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="202" />
        <source>not yet</source>
        <translation>ще ні</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="204" />
        <source>in place</source>
        <translation>на місці</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="205" />
        <source>written, its board awaited</source>
        <translation>записано, чекаємо на плату</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="206" />
        <source>forgotten</source>
        <translation>забуто</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="207" />
        <source>not confirmed</source>
        <translation>не підтверджено</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="208" />
        <source>not kept</source>
        <translation>не збережено</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="209" />
        <source>another configurator wrote it</source>
        <translation>записав інший конфігуратор</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="231" />
        <source>the factory address is four numbers 0..255 with dots, such as 010.000.000.002</source>
        <translation>заводська адреса — чотири числа 0..255 через крапку, як-от 010.000.000.002</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="241" />
        <source>Read as %1</source>
        <translation>Прочитано як %1</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="243" />
        <source>Column(s) %1 not used: kept in the plan and ignored</source>
        <translation>Стовпці %1 не використовуються: залишені в плані й пропущені</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="250" />
        <source>out of reach: %1</source>
        <translation>поза досяжністю: %1</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="253" />
        <source>Line %1 (%2): %3</source>
        <translation>Рядок %1 (%2): %3</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="257" />
        <source>Line %1 (%2): this computer has no address in %3, where the board answers after its reboot; give it one there first: %4</source>
        <translation>Рядок %1 (%2): цей комп&apos;ютер не має адреси в %3, де плата відповідає після перезавантаження; спершу дайте йому адресу там: %4</translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="268" />
        <source>%n row(s), no problem found</source>
        <translation>
            <numerusform>%n рядок, проблем не знайдено</numerusform><numerusform>%n рядки, проблем не знайдено</numerusform><numerusform>%n рядків, проблем не знайдено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="269" />
        <source>%n problem(s): nothing is sent until the plan is put right</source>
        <translation>
            <numerusform>%n проблема: нічого не надсилається, доки план не виправлено</numerusform><numerusform>%n проблеми: нічого не надсилається, доки план не виправлено</numerusform><numerusform>%n проблем: нічого не надсилається, доки план не виправлено</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="273" />
        <source>Start connects the boards in turn</source>
        <translation>«Почати» під&apos;єднує плати по черзі</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="273" />
        <source>The plan cannot be used</source>
        <translation>План не можна використати</translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="283" />
        <source>%n row(s) in a subnet this computer cannot reach; nothing sent</source>
        <translation>
            <numerusform>%n рядок у підмережі, недосяжній для цього комп&apos;ютера; нічого не надіслано</numerusform><numerusform>%n рядки в підмережі, недосяжній для цього комп&apos;ютера; нічого не надіслано</numerusform><numerusform>%n рядків у підмережі, недосяжній для цього комп&apos;ютера; нічого не надіслано</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="298" />
        <source>Commissioning from %1</source>
        <translation>Введення в дію за %1</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="310" />
        <source>%1 is not a written row waiting for its board</source>
        <translation>%1 — не записаний рядок, що чекає на свою плату</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="348" />
        <location filename="../commission_view.cpp" line="352" />
        <source>Connect the board: %1</source>
        <translation>Під&apos;єднайте плату: %1</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="353" />
        <source>Waiting for a new board at %1 ...</source>
        <translation>Чекаємо на нову плату з %1 ...</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="360" />
        <source>%1: board %2, &quot;%3&quot;</source>
        <translation>%1: плата %2, «%3»</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="363" />
        <source>%1: written to board %2</source>
        <translation>%1: записано в плату %2</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="365" />
        <source>%1: the board kept the row</source>
        <translation>%1: плата зберегла рядок</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="368" />
        <location filename="../commission_view.cpp" line="375" />
        <source>Finishing: %1</source>
        <translation>Завершуємо: %1</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="370" />
        <source>%1: board %2 was written but not rebooted; rebooting it</source>
        <translation>%1: плату %2 записано, але не перезавантажено; перезавантажуємо її</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="371" />
        <source>%1: rebooting</source>
        <translation>%1: перезавантаження</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="378" />
        <source>No acknowledgement of the reboot; waiting all the same. </source>
        <translation>Перезавантаження не підтверджено; все одно чекаємо. </translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="379" />
        <source>%1: waiting for it at %2 ...</source>
        <translation>%1: чекаємо на неї з %2 ...</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="382" />
        <source>%1: answers at %2</source>
        <translation>%1: відповідає з %2</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="385" />
        <source>%1: done</source>
        <translation>%1: готово</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="387" />
        <source>%1: its board %2 is in place at %3 but holds %4; this row is not written (Write sets those fields)</source>
        <translation>%1: її плата %2 на місці з %3, але містить %4; цей рядок не записано (ці поля задає «Записати»)</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="392" />
        <source>%1: board %2 already answers at %3 with another configuration: an address clash; this row is not written</source>
        <translation>%1: плата %2 вже відповідає з %3 з іншою конфігурацією: конфлікт адрес; цей рядок не записано</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="397" />
        <source>%1 was written to board %2, which does not answer at %3 as planned; find that board before connecting another, or forget the row</source>
        <translation>%1 записано в плату %2, яка не відповідає з %3, як заплановано; знайдіть цю плату, перш ніж під&apos;єднувати іншу, або забудьте рядок</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="400" />
        <source>%1: not found on its new address %2; a run started again waits for it there first</source>
        <translation>%1: не знайдено за новою адресою %2; наступний запуск спершу чекає на неї там</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="405" />
        <source>%1: another configurator wrote this board; this row is not written</source>
        <translation>%1: цю плату записав інший конфігуратор; цей рядок не записано</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="407" />
        <source>%1: the board did not keep the write</source>
        <translation>%1: плата не зберегла запис</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="409" />
        <source>%1: free again; board %2 is no longer waited for</source>
        <translation>%1: знову вільний; на плату %2 більше не чекають</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="446" />
        <source>Every row is done</source>
        <translation>Усі рядки готові</translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="447" />
        <source>%n row(s) not done yet</source>
        <translation>
            <numerusform>%n рядок ще не готовий</numerusform><numerusform>%n рядки ще не готові</numerusform><numerusform>%n рядків ще не готові</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="450" />
        <source>%n row(s) not written: their addresses are taken</source>
        <translation>
            <numerusform>%n рядок не записано: його адреса зайнята</numerusform><numerusform>%n рядки не записано: їхні адреси зайняті</numerusform><numerusform>%n рядків не записано: їхні адреси зайняті</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="454" />
        <source>Cancelled</source>
        <translation>Скасовано</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="455" />
        <source>Start takes up where the run stopped</source>
        <translation>«Почати» продовжує з того місця, де зупинилися</translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="489" />
        <source>C&amp;ommission from a plan ...</source>
        <translation>Вве&amp;сти в дію за планом ...</translation>
    </message>
</context>
<context>
    <name>velmar::RestoreFromFolder</name>
    <message>
        <location filename="../restore_boards.cpp" line="41" />
        <source>no backup of its MAC %1 or of its address in the folder: nothing sent</source>
        <translation>у теці немає резервної копії її MAC %1 чи її адреси: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="44" />
        <source>its backup %1 cannot be used (%2): nothing sent</source>
        <translation>її резервну копію %1 не можна використати (%2): нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="62" />
        <source>restoring</source>
        <translation>відновлюється</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="72" />
        <source>%1: nothing sent</source>
        <translation>%1: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="79" />
        <source>already holds its backup: nothing sent</source>
        <translation>уже містить свою резервну копію: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="117" />
        <source>%1: %2: nothing sent</source>
        <translation>%1: %2: нічого не надіслано</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="130" />
        <source>%1: %2, backed up %3</source>
        <translation>%1: %2, копію зроблено %3</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="134" />
        <source>at an unknown time</source>
        <translation>невідомо коли</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="137" />
        <source>   no backup of its MAC %1: the newest of its address</source>
        <translation>   немає резервної копії її MAC %1: найновіша копія її адреси</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="139" />
        <source>   keeps its own lift address %1 and MAC %2 (the backup has %3 and %4)</source>
        <translation>   зберігає свою адресу ліфта %1 і MAC %2 (у копії %3 і %4)</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="144" />
        <source>   already holds the rest of its backup: nothing to send</source>
        <translation>   решту своєї копії вже містить: нічого надсилати</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="153" />
        <source>Re&amp;store from a backup folder ...</source>
        <translation>&amp;Відновити з теки резервних копій ...</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="161" />
        <source>Folder of the backups to restore from</source>
        <translation>Тека резервних копій для відновлення</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="185" />
        <source>%1 is not a folder: nothing was sent.</source>
        <translation>%1 — не тека: нічого не надіслано.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="207" />
        <source>Reading %n board(s) and finding their backups in %1 ...</source>
        <translation>
            <numerusform>Читання %n плати і пошук її резервної копії в %1 ...</numerusform><numerusform>Читання %n плат і пошук їхніх резервних копій в %1 ...</numerusform><numerusform>Читання %n плат і пошук їхніх резервних копій в %1 ...</numerusform></translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="220" />
        <source>Cancelled while the boards were read: nothing was sent.</source>
        <translation>Скасовано під час читання плат: нічого не надіслано.</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="222" />
        <source>No board answered: nothing was sent.</source>
        <translation>Жодна плата не відповіла: нічого не надіслано.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="223" />
        <source>Restore %n board(s) from %1?

%2</source>
        <translation>
            <numerusform>Відновити %n плату з %1?

%2</numerusform><numerusform>Відновити %n плати з %1?

%2</numerusform><numerusform>Відновити %n плат з %1?

%2</numerusform></translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="227" />
        <source>Not restored: nothing was sent.</source>
        <translation>Не відновлено: нічого не надіслано.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="254" />
        <source>Restoring %n board(s) ...</source>
        <translation>
            <numerusform>Відновлення %n плати ...</numerusform><numerusform>Відновлення %n плат ...</numerusform><numerusform>Відновлення %n плат ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="267" />
        <source>%1 of %n board(s) restored</source>
        <translation>
            <numerusform>%1 з %n плати відновлено</numerusform><numerusform>%1 з %n плат відновлено</numerusform><numerusform>%1 з %n плат відновлено</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="274" />
        <source>%n not restored</source>
        <translation>
            <numerusform>%n не відновлено</numerusform><numerusform>%n не відновлено</numerusform><numerusform>%n не відновлено</numerusform></translation>
    </message>
</context>
</TS>
