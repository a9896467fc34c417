<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>velmar::BoardTable</name>
    <message>
        <location filename="../board_table.cpp" line="63" />
        <source>Two boards answer at %1 (MACs %2): connect them one at a time and give each an address of its own</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="67" />
        <source>In %1, where this computer has no address: to reach it, run %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="69" />
        <source>Answers at its address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="69" />
        <source>Answers</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="100" />
        <source>dynamic</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="100" />
        <source>static</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="101" />
        <source>DHCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="101" />
        <source>fixed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="114" />
        <source>Answered from</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="115" />
        <source>MAC</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="116" />
        <source>Lift address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="117" />
        <source>Mask</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="118" />
        <source>Router</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="119" />
        <source>Dispatcher</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="120" />
        <source>Console</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="121" />
        <source>Board address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="122" />
        <source>Identifier</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="123" />
        <source>Version</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="124" />
        <source>State</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::MacFields</name>
    <message>
        <location filename="../site_window.cpp" line="393" />
        <source>Reserve address &amp;1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="394" />
        <source>Reserve address &amp;2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="409" />
        <source>M&amp;AC</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::ManyBoards</name>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>mask %1 is not a run of ones followed by zeros</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>mask 255.255.255.255 leaves the board no subnet to reach its router or dispatcher through</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address 0.0.0.0</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is in 0.0.0.0/8, which names no host</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is a loopback address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is a multicast address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address 255.255.255.255 is the broadcast address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is in the reserved range 240.0.0.0/4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is the network address of its subnet</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>lift address %1 is the broadcast address of its subnet</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is outside the subnet of %2/%3</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the lift address itself</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the network address of its subnet</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>router %1 is the broadcast address of its subnet</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>MAC %1 is no address of one board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>MAC %1 is a multicast address (lowest bit of the first byte set)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>a board on DHCP needs a dynamic console</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>no answer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>answered, but not with what was asked: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>not reachable from this computer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>answered only after the time-out of %1 ms: give it more time</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="214" />
        <source>two boards answer at this address: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="81" />
        <source>%1: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="85" />
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="92" />
        <source>%1: refused: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="98" />
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="105" />
        <source>not rebooted: no usable answer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="111" />
        <source>rebooting</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="112" />
        <source>no acknowledgement: not rebooted</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="114" />
        <source>answered without an acknowledgement: not rebooted</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="117" />
        <source>unreachable from this computer: not rebooted</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="123" />
        <source>Waiting for %n board(s) to answer again: %1 of %2 s</source>
        <translation>
            <numerusform>Waiting for %n board to answer again: %1 of %2 s</numerusform><numerusform>Waiting for %n boards to answer again: %1 of %2 s</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="136" />
        <source>answers again after %1 ms</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="137" />
        <source>answers again at %1 after %2 ms</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="161" />
        <source>already holds it: nothing sent</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="162" />
        <source>checked: nothing sent</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="164" />
        <source>refused, nothing sent: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="165" />
        <source>kept</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="170" />
        <source>%1 holds %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="171" />
        <source>not kept: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="173" />
        <source>overtaken by another write</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="175" />
        <source>sent, then cancelled: not confirmed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="176" />
        <source>sent, and no answer showed it kept: not confirmed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="199" />
        <source>%1 → %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="210" />
        <source>DHCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="210" />
        <source>fixed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="217" />
        <source>two boards answer at this address (MACs %1): nothing written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="220" />
        <source>left as it was</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="222" />
        <source>the port where the boards answer is held by another program</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="223" />
        <source>refused: nothing written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="224" />
        <source>cannot be written: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="227" />
        <source>another run on this computer holds its lock (%1): nothing written; try again when it is done</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="230" />
        <source>failed, nothing written: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="237" />
        <source>One change to the chosen boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="269" />
        <source>&amp;Field</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="270" />
        <source>&amp;New value</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="307" />
        <source>Go ahead?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="312" />
        <source>C&amp;hange chosen boards ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="315" />
        <source>&amp;Reboot chosen boards ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="350" />
        <source>The lift address and the MAC name one board: write them to one board at a time.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="354" />
        <source>A board on DHCP needs a dynamic console, and the dispatcher, identifier and reserve addresses go only with a dynamic console.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="360" />
        <source>%1 names no board (a broadcast or network address): every board that hears it would take what is sent there.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="364" />
        <source>%1 is this computer&apos;s own address, not a board&apos;s.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="368" />
        <source>Nothing was sent.</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="383" />
        <source>Write %1 to %n board(s)?

%2

Each board&apos;s configuration is backed up first in a new folder under %3.</source>
        <translation>
            <numerusform>Write %1 to %n board?

%2

Each board&apos;s configuration is backed up first in a new folder under %3.</numerusform><numerusform>Write %1 to %n boards?

%2

Each board&apos;s configuration is backed up first in a new folder under %3.</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="432" />
        <source>no usable answer: nothing written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="440" />
        <source>its console is static: the dispatcher, identifier and reserve addresses go only with a dynamic one; nothing written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="448" />
        <source>backed up</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="485" />
        <source>waiting</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="487" />
        <source>Writing %1 to %n board(s) ...</source>
        <translation>
            <numerusform>Writing %1 to %n board ...</numerusform><numerusform>Writing %1 to %n boards ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="497" />
        <source>%1 of %n board(s) kept the write</source>
        <translation>
            <numerusform>%1 of %n board kept the write</numerusform><numerusform>%1 of %n boards kept the write</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="500" />
        <source>%n not kept</source>
        <translation>
            <numerusform>%n not kept</numerusform><numerusform>%n not kept</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="501" />
        <source>%n overtaken</source>
        <translation>
            <numerusform>%n overtaken</numerusform><numerusform>%n overtaken</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="502" />
        <source>%n sent and not confirmed</source>
        <translation>
            <numerusform>%n sent and not confirmed</numerusform><numerusform>%n sent and not confirmed</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="503" />
        <source>%n already held it</source>
        <translation>
            <numerusform>%n already held it</numerusform><numerusform>%n already held it</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="504" />
        <source>%n refused</source>
        <translation>
            <numerusform>%n refused</numerusform><numerusform>%n refused</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="505" />
        <source>%n not written</source>
        <translation>
            <numerusform>%n not written</numerusform><numerusform>%n not written</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="506" />
        <source>%n left as it was</source>
        <translation>
            <numerusform>%n left as it was</numerusform><numerusform>%n left as it was</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="512" />
        <source>Cancelled: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="515" />
        <source>Each board&apos;s configuration before the write: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../many_boards.cpp" line="518" />
        <source>No backup was made; nothing was sent.</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="534" />
        <source>Reboot %n board(s)? Their lifts lose the connection until they are up again.

%1</source>
        <translation>
            <numerusform>Reboot %n board? Their lifts lose the connection until they are up again.

%1</numerusform><numerusform>Reboot %n boards? Their lifts lose the connection until they are up again.

%1</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="566" />
        <source>still silent after %1 s</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="575" />
        <source>Rebooting %n board(s) ...</source>
        <translation>
            <numerusform>Rebooting %n board ...</numerusform><numerusform>Rebooting %n boards ...</numerusform></translation>
    </message>
    <message>
        <location filename="../many_boards.cpp" line="588" />
        <source>Cancelled before any board acknowledged a reboot</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="590" />
        <source>Cancelled: %n board(s) acknowledged the reboot and are rebooting; the wait for them stopped</source>
        <translation>
            <numerusform>Cancelled: %n board acknowledged the reboot and are rebooting; the wait for them stopped</numerusform><numerusform>Cancelled: %n boards acknowledged the reboot and are rebooting; the wait for them stopped</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="595" />
        <source>%1 of %n board(s) answered again after the reboot</source>
        <translation>
            <numerusform>%1 of %n board answered again after the reboot</numerusform><numerusform>%1 of %n boards answered again after the reboot</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="599" />
        <source>%n still silent after %1 s</source>
        <translation>
            <numerusform>%n still silent after %1 s</numerusform><numerusform>%n still silent after %1 s</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../many_boards.cpp" line="604" />
        <source>%n not rebooted</source>
        <translation>
            <numerusform>%n not rebooted</numerusform><numerusform>%n not rebooted</numerusform></translation>
    </message>
</context>
<context>
    <name>velmar::SiteWindow</name>
    <message>
        <location filename="../site_window.cpp" line="64" />
        <source>lift address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="65" />
        <source>mask</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="66" />
        <source>router</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="67" />
        <source>MAC</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="68" />
        <source>dispatcher</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="69" />
        <source>identifier</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="70" />
        <source>console</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="71" />
        <source>board's address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="72" />
        <source>reserve address 1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="73" />
        <source>reserve address 2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="82" />
        <source>dynamic</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="84" />
        <source>static</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="86" />
        <source>DHCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="106" />
        <source>%1: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="110" />
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="117" />
        <source>%1: sent anyway: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="117" />
        <source>%1: refused: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="125" />
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="157" />
        <source>The board already holds this: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="158" />
        <source>Checked: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="159" />
        <location filename="../site_window.cpp" line="868" />
        <source>Refused: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="160" />
        <source>Written and kept.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="161" />
        <source>Written, but not all of it kept.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="163" />
        <source>Overtaken by another write: the board holds neither its old values nor these.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="167" />
        <source>Cancelled after the write was sent: not confirmed that the board kept it. Read it again.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="169" />
        <source>Sent, and no answer showed it kept: not confirmed.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="218" />
        <source>Send anyway?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="219" />
        <source>This configuration may leave the board unreachable or broken:

%1

Send it anyway?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="225" />
        <source>VELMAR site boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="247" />
        <source>Cancelled: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="249" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="274" />
        <source>&amp;Find boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="276" />
        <source>&amp;Add address or range</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="278" />
        <source>&amp;Write board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="279" />
        <source>&amp;Cancel</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="280" />
        <source>&amp;Copy command</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="282" />
        <source>F&amp;ilter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="283" />
        <source>&amp;Quit</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="284" />
        <source>&amp;Back up chosen boards ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="286" />
        <source>&amp;Log</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="304" />
        <source>Folder of the backups</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="312" />
        <source>&amp;Site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="318" />
        <source>&amp;Board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;View</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="329" />
        <source>Site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="333" />
        <source>Where to look for boards: every adapter, or one</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="339" />
        <source> ms</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="340" />
        <source>How long to wait for each answer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="344" />
        <source>Address or range: 10.0.0.2-10.0.0.40</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="345" />
        <source>Boards that hear no broadcast, asked at their addresses</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="352" />
        <source>Filter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="375" />
        <location filename="../site_window.cpp" line="735" />
        <source>No board chosen</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Lift address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Mask</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Router</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="378" />
        <source>&amp;Dispatcher</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="395" />
        <source>&amp;Identifier</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="398" />
        <source>Console takes a d&amp;ynamic address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="400" />
        <source>Board takes its address by D&amp;HCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="429" />
        <source>Log</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="452" />
        <source>Every adapter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="532" />
        <source>Cancelling ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="558" />
        <source>nothing kept</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="572" />
        <source>Backing up %n board(s) ...</source>
        <translation>
            <numerusform>Backing up %n board ...</numerusform><numerusform>Backing up %n boards ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="581" />
        <source>%n board(s) backed up in %1</source>
        <translation>
            <numerusform>%n board backed up in %1</numerusform><numerusform>%n boards backed up in %1</numerusform></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="585" />
        <source>No answer, not backed up: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="615" />
        <location filename="../site_window.cpp" line="631" />
        <source>Asking %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="619" />
        <source>Refused by the system: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="654" />
        <source>Looking for boards ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="654" />
        <source>Asking the boards added ...</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="667" />
        <source>%n board(s) found</source>
        <translation>
            <numerusform>%n board found</numerusform><numerusform>%n boards found</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="669" />
        <source>; %n address(es) silent</source>
        <translation>
            <numerusform>; %n address silent</numerusform><numerusform>; %n addresses silent</numerusform></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="671" />
        <source>; cancelled: what answered until then</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="739" />
        <source>Board %1 at %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="763" />
        <source>Copied: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="844" />
        <source>Writing %1 ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="857" />
        <source>%1 %2: kept</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="858" />
        <source>%1 %2: not kept (the board holds %3)</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::AuditReport</name>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>answers at %1 instead of %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>%1 %2 (planned %3)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>runs %1 %2 (stored %3)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>two boards (MACs %1) answer at %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="100" />
        <source>MAC %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="31" />
        <source>as planned</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="32" />
        <source>differs</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="33" />
        <source>moved</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="34" />
        <source>reboot pending</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="35" />
        <source>silent</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="36" />
        <source>two boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="37" />
        <source>not in plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="45" />
        <source>%1, reboot pending</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="68" />
        <source>write the planned values: choose the board in the site window, set the fields named and write it</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="71" />
        <source>give the board its planned address: write its planned lift address, then restart it</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="72" />
        <source>restart the board so that it runs what it stored</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="73" />
        <source>check power and cable, then audit again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="74" />
        <source>disconnect one, commission it again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="75" />
        <source>a board the plan does not name: add it to the plan, or disconnect it</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../audit_report.cpp" line="82" />
        <source>Audit of %1 (%n lift(s)), %2</source>
        <translation>
            <numerusform>Audit of %1 (%n lift), %2</numerusform><numerusform>Audit of %1 (%n lifts), %2</numerusform></translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="84" />
        <source>PRACTICE SITE, not a real one: %1</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../audit_report.cpp" line="89" />
        <source>%n lift(s): </source>
        <translation>
            <numerusform>%n lift: </numerusform><numerusform>%n lifts: </numerusform></translation>
    </message>
    <message>
        <location filename="../audit_report.cpp" line="90" />
        <source>%1 as planned, %2 differ, %3 moved, %4 silent, %5 with two boards; %6 with a reboot pending; %7 board(s) not in plan, %8 other address(es) with two boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>lift</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>state</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="115" />
        <source>details</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="123" />
        <location filename="../audit_report.cpp" line="211" />
        <location filename="../audit_report.cpp" line="219" />
        <source>%1 (practice site)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="133" />
        <source>en</source>
        <comment>the language code of the report page</comment>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_report.cpp" line="210" />
        <source>%1, %2, page %3</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::AuditView</name>
    <message>
        <location filename="../audit_view.cpp" line="28" />
        <location filename="../audit_view.cpp" line="135" />
        <source>Audit of a site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="36" />
        <source>&amp;Open plan and audit ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="37" />
        <source>&amp;Audit again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="38" />
        <source>&amp;Save report ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="39" />
        <source>&amp;Print / PDF ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="40" />
        <source>P&amp;rint ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="42" />
        <source>&amp;Cancel</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="44" />
        <source>The site&apos;s plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="45" />
        <source>Plans (*.csv *.txt);;All files (*)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="52" />
        <source>Save report</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="53" />
        <source>Web pages (*.html)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="58" />
        <source>Save report as PDF</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="59" />
        <source>PDF (*.pdf)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="66" />
        <source>&amp;Audit</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="67" />
        <source>Audit</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="77" />
        <source> ms</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="78" />
        <source>How long to wait for each answer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="105" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="113" />
        <source>Cancelled: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="115" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="135" />
        <source>Audit of a site: PRACTICE SITE</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="168" />
        <source>The plan cannot be used, nothing read:</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="190" />
        <source>subnet %1 has %2 addresses; read are %3 of them around its lifts</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="196" />
        <source>nothing audited</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="199" />
        <source>Reading the site against %1 (%2) ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="240" />
        <location filename="../audit_view.cpp" line="251" />
        <source>Cannot write %1: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="243" />
        <location filename="../audit_view.cpp" line="254" />
        <source>Report saved in %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../audit_view.cpp" line="260" />
        <source>A&amp;udit against a plan ...</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::PracticeSite</name>
    <message>
        <location filename="../practice_site.cpp" line="44" />
        <source>choose a folder for the practice site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="43" />
        <source>there is no folder %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="46" />
        <source>practice site %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="53" />
        <source>cannot make a folder in %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="98" />
        <source>velmar-board is not beside this program</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="110" />
        <source>Lift %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="113" />
        <source>the practice&apos;s addresses cannot make a plan: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="120" />
        <source>practice-plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="164" />
        <source>a stand-in board did not start: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="194" />
        <source>Start a &amp;practice site ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="195" />
        <source>&amp;End the practice site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="196" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="203" />
        <source>%1: PRACTICE SITE</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="210" />
        <location filename="../practice_site.cpp" line="265" />
        <source>Practice site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="212" />
        <source>Stand-in boards on this computer and a plan that names them, to rehearse a search, a commissioning and an audit without hardware. They end with the practice or the window.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="220" />
        <source>Lifts in the plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="221" />
        <source>a silent board (the last lift has none)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="222" />
        <source>two boards on one address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="223" />
        <source>a board that keeps only part of a write</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="224" />
        <source>a slow board (answers after 0.3 s)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="230" />
        <source>Here every loopback address is one: one board runs, the other lifts are silent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="237" />
        <source>Choose ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="240" />
        <source>Folder of the practice&apos;s plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="247" />
        <source>Plan&apos;s folder</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="268" />
        <source>Practice site: boards at %1, the plan in %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="281" />
        <source>to commission: the lifts have no boards yet, each comes new when wanted</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="330" />
        <source>The lifts wait to be commissioned; new boards come at %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../practice_site.cpp" line="108" />
        <source>here every loopback address is one: a practice site to commission needs several</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::CommissionView</name>
    <message>
        <location filename="../commission_view.cpp" line="38" />
        <location filename="../commission_view.cpp" line="78" />
        <location filename="../commission_view.cpp" line="170" />
        <source>Commissioning</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="41" />
        <source>&amp;Open plan ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="43" />
        <source>&amp;Start / continue</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="45" />
        <source>&amp;Cancel</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="47" />
        <source>&amp;Forget the selected row&apos;s board ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="49" />
        <source>The site&apos;s plan</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="50" />
        <source>Plans (*.csv *.txt);;All files (*)</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="59" />
        <source>%n row(s) lie in a subnet this computer has no address in: their boards could not be found after their reboot. Go on all the same?</source>
        <translation>
            <numerusform>%n row lies in a subnet this computer has no address in: its board could not be found after their reboot. Go on all the same?</numerusform><numerusform>%n rows lie in a subnet this computer has no address in: their boards could not be found after their reboot. Go on all the same?</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="71" />
        <source>Give up the board of %1 (%2)? The row is then free for a new board, and that board is no longer waited for.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="77" />
        <source>&amp;Commissioning</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="84" />
        <source> New boards answer at </source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="86" />
        <source>The factory address of a new board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>at the factory address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>kept</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="107" />
        <source>rebooting</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="108" />
        <source>answers at its address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="108" />
        <location filename="../commission_view.cpp" line="203" />
        <source>done</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Row</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>State</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="121" />
        <source>Note</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="131" />
        <source>The plan&apos;s check</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="136" />
        <source>PRACTICE SITE: stand-in boards on this computer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="146" />
        <source>UDP port %1, where the boards answer, is held by another program (the configurator?): close it, then try again</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="150" />
        <location filename="../commission_view.cpp" line="460" />
        <source>Stopped</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="170" />
        <source>Commissioning: PRACTICE SITE</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="196" />
        <source>%1 (%2 of %3)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="202" />
        <source>not yet</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="204" />
        <source>in place</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="205" />
        <source>written, its board awaited</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="206" />
        <source>forgotten</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="207" />
        <source>not confirmed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="208" />
        <source>not kept</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="209" />
        <source>another configurator wrote it</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="231" />
        <source>the factory address is four numbers 0..255 with dots, such as 010.000.000.002</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="241" />
        <source>Read as %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="243" />
        <source>Column(s) %1 not used: kept in the plan and ignored</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="250" />
        <source>out of reach: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="253" />
        <source>Line %1 (%2): %3</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="257" />
        <source>Line %1 (%2): this computer has no address in %3, where the board answers after its reboot; give it one there first: %4</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="268" />
        <source>%n row(s), no problem found</source>
        <translation>
            <numerusform>%n row, no problem found</numerusform><numerusform>%n rows, no problem found</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="269" />
        <source>%n problem(s): nothing is sent until the plan is put right</source>
        <translation>
            <numerusform>%n problem: nothing is sent until the plan is put right</numerusform><numerusform>%n problems: nothing is sent until the plan is put right</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="273" />
        <source>Start connects the boards in turn</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="273" />
        <source>The plan cannot be used</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="283" />
        <source>%n row(s) in a subnet this computer cannot reach; nothing sent</source>
        <translation>
            <numerusform>%n row in a subnet this computer cannot reach; nothing sent</numerusform><numerusform>%n rows in a subnet this computer cannot reach; nothing sent</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="298" />
        <source>Commissioning from %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="310" />
        <source>%1 is not a written row waiting for its board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="348" />
        <location filename="../commission_view.cpp" line="352" />
        <source>Connect the board: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="353" />
        <source>Waiting for a new board at %1 ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="360" />
        <source>%1: board %2, &quot;%3&quot;</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="363" />
        <source>%1: written to board %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="365" />
        <source>%1: the board kept the row</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="368" />
        <location filename="../commission_view.cpp" line="375" />
        <source>Finishing: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="370" />
        <source>%1: board %2 was written but not rebooted; rebooting it</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="371" />
        <source>%1: rebooting</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="378" />
        <source>No acknowledgement of the reboot; waiting all the same. </source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="379" />
        <source>%1: waiting for it at %2 ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="382" />
        <source>%1: answers at %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="385" />
        <source>%1: done</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="387" />
        <source>%1: its board %2 is in place at %3 but holds %4; this row is not written (Write sets those fields)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="392" />
        <source>%1: board %2 already answers at %3 with another configuration: an address clash; this row is not written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="397" />
        <source>%1 was written to board %2, which does not answer at %3 as planned; find that board before connecting another, or forget the row</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="400" />
        <source>%1: not found on its new address %2; a run started again waits for it there first</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="405" />
        <source>%1: another configurator wrote this board; this row is not written</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="407" />
        <source>%1: the board did not keep the write</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="409" />
        <source>%1: free again; board %2 is no longer waited for</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="446" />
        <source>Every row is done</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="447" />
        <source>%n row(s) not done yet</source>
        <translation>
            <numerusform>%n row not done yet</numerusform><numerusform>%n rows not done yet</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../commission_view.cpp" line="450" />
        <source>%n row(s) not written: their addresses are taken</source>
        <translation>
            <numerusform>%n row not written: its address is taken</numerusform><numerusform>%n rows not written: their addresses are taken</numerusform></translation>
    </message>
    <message>
        <location filename="../commission_view.cpp" line="454" />
        <source>Cancelled</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="455" />
        <source>Start takes up where the run stopped</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../commission_view.cpp" line="489" />
        <source>C&amp;ommission from a plan ...</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::RestoreFromFolder</name>
    <message>
        <location filename="../restore_boards.cpp" line="41" />
        <source>no backup of its MAC %1 or of its address in the folder: nothing sent</source>
        <translation>no backup of its MAC %1 or of its address in the folder: nothing sent</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="44" />
        <source>its backup %1 cannot be used (%2): nothing sent</source>
        <translation>its backup %1 cannot be used (%2): nothing sent</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="62" />
        <source>restoring</source>
        <translation>restoring</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="72" />
        <source>%1: nothing sent</source>
        <translation>%1: nothing sent</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="79" />
        <source>already holds its backup: nothing sent</source>
        <translation>already holds its backup: nothing sent</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="117" />
        <source>%1: %2: nothing sent</source>
        <translation>%1: %2: nothing sent</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="130" />
        <source>%1: %2, backed up %3</source>
        <translation>%1: %2, backed up %3</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="134" />
        <source>at an unknown time</source>
        <translation>at an unknown time</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="137" />
        <source>   no backup of its MAC %1: the newest of its address</source>
        <translation>   no backup of its MAC %1: the newest of its address</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="139" />
        <source>   keeps its own lift address %1 and MAC %2 (the backup has %3 and %4)</source>
        <translation>   keeps its own lift address %1 and MAC %2 (the backup has %3 and %4)</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="144" />
        <source>   already holds the rest of its backup: nothing to send</source>
        <translation>   already holds the rest of its backup: nothing to send</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="153" />
        <source>Re&amp;store from a backup folder ...</source>
        <translation>Re&amp;store from a backup folder ...</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="161" />
        <source>Folder of the backups to restore from</source>
        <translation>Folder of the backups to restore from</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="185" />
        <source>%1 is not a folder: nothing was sent.</source>
        <translation>%1 is not a folder: nothing was sent.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="207" />
        <source>Reading %n board(s) and finding their backups in %1 ...</source>
        <translation>
            <numerusform>Reading %n board and finding its backup in %1 ...</numerusform><numerusform>Reading %n boards and finding their backups in %1 ...</numerusform></translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="220" />
        <source>Cancelled while the boards were read: nothing was sent.</source>
        <translation>Cancelled while the boards were read: nothing was sent.</translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="222" />
        <source>No board answered: nothing was sent.</source>
        <translation>No board answered: nothing was sent.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="223" />
        <source>Restore %n board(s) from %1?

%2</source>
        <translation>
            <numerusform>Restore %n board from %1?

%2</numerusform><numerusform>Restore %n boards from %1?

%2</numerusform></translation>
    </message>
    <message>
        <location filename="../restore_boards.cpp" line="227" />
        <source>Not restored: nothing was sent.</source>
        <translation>Not restored: nothing was sent.</translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="254" />
        <source>Restoring %n board(s) ...</source>
        <translation>
            <numerusform>Restoring %n board ...</numerusform><numerusform>Restoring %n boards ...</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="267" />
        <source>%1 of %n board(s) restored</source>
        <translation>
            <numerusform>%1 of %n board restored</numerusform><numerusform>%1 of %n boards restored</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../restore_boards.cpp" line="274" />
        <source>%n not restored</source>
        <translation>
            <numerusform>%n not restored</numerusform><numerusform>%n not restored</numerusform></translation>
    </message>
</context>
</TS>
