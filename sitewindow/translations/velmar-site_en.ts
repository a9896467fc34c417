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
        <location filename="../board_table.cpp" line="107" />
        <source>dynamic</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="107" />
        <source>static</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="109" />
        <source>DHCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="109" />
        <source>fixed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="127" />
        <source>Answered from</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="129" />
        <source>MAC</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="131" />
        <source>Lift address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="133" />
        <source>Mask</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="135" />
        <source>Router</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="137" />
        <source>Dispatcher</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="139" />
        <source>Console</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="141" />
        <source>Board address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="143" />
        <source>Identifier</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="145" />
        <source>Version</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../board_table.cpp" line="147" />
        <source>State</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>velmar::SiteWindow</name>
    <message>
        <location filename="../site_window.cpp" line="73" />
        <source>%1: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="75" />
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="81" />
        <source>%1: sent anyway: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="81" />
        <source>%1: refused: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="88" />
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="123" />
        <source>The board already holds this: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="125" />
        <source>Checked: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="127" />
        <location filename="../site_window.cpp" line="747" />
        <source>Refused: nothing sent.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="129" />
        <source>Written and kept.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="131" />
        <source>Written, but not all of it kept.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="133" />
        <source>Overtaken by another write: the board holds neither its old values nor these.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="137" />
        <source>Cancelled after the write was sent: not confirmed that the board kept it. Read it again.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="139" />
        <source>Sent, and no answer showed it kept: not confirmed.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="179" />
        <source>Send anyway?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="180" />
        <source>This configuration may leave the board unreachable or broken:

%1

Send it anyway?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="186" />
        <source>VELMAR site boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="206" />
        <source>Cancelled: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="230" />
        <source>&amp;Find boards</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="231" />
        <source>&amp;Add address or range</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="233" />
        <source>&amp;Write board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="235" />
        <source>&amp;Cancel</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="236" />
        <source>&amp;Copy command</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="238" />
        <source>F&amp;ilter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="239" />
        <source>&amp;Quit</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="240" />
        <source>&amp;Log</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="257" />
        <source>&amp;Site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="263" />
        <source>&amp;Board</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="266" />
        <source>&amp;View</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="273" />
        <source>Site</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="277" />
        <source>Where to look for boards: every adapter, or one</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="283" />
        <source> ms</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="284" />
        <source>How long to wait for each answer</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="288" />
        <source>Address or range: 10.0.0.2-10.0.0.40</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="289" />
        <source>Boards that hear no broadcast, asked at their addresses</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="296" />
        <source>Filter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="319" />
        <location filename="../site_window.cpp" line="619" />
        <source>No board chosen</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;Lift address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;Mask</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;Router</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="322" />
        <source>&amp;Dispatcher</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="339" />
        <source>&amp;Identifier</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="342" />
        <source>Console takes a d&amp;ynamic address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="344" />
        <source>Board takes its address by D&amp;HCP</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="373" />
        <source>Log</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="396" />
        <source>Every adapter</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="475" />
        <source>Cancelling ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="500" />
        <location filename="../site_window.cpp" line="516" />
        <source>Asking %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="504" />
        <source>Refused by the system: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="538" />
        <source>Looking for boards ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="538" />
        <source>Asking the boards added ...</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="551" />
        <source>%n board(s) found</source>
        <translation>
            <numerusform>%n board found</numerusform><numerusform>%n boards found</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="553" />
        <source>; %n address(es) silent</source>
        <translation>
            <numerusform>; %n address silent</numerusform><numerusform>; %n addresses silent</numerusform></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="555" />
        <source>; cancelled: what answered until then</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="623" />
        <source>Board %1 at %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="647" />
        <source>Copied: %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="727" />
        <source>Writing %1 ...</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="739" />
        <source>%1 %2: kept</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../site_window.cpp" line="740" />
        <source>%1 %2: not kept (the board holds %3)</source>
        <translation type="unfinished" />
    </message>
</context>
</TS>
