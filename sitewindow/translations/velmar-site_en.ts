<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>velmar::BoardTable</name>
    <message>
        <location filename="../board_table.cpp" line="63"/>
        <source>Two boards answer at %1 (MACs %2): connect them one at a time and give each an address of its own</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="67"/>
        <source>In %1, where this computer has no address: to reach it, run %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="69"/>
        <source>Answers at its address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="69"/>
        <source>Answers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="100"/>
        <source>dynamic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="100"/>
        <source>static</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="101"/>
        <source>DHCP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="101"/>
        <source>fixed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="114"/>
        <source>Answered from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="115"/>
        <source>MAC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="116"/>
        <source>Lift address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="117"/>
        <source>Mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="118"/>
        <source>Router</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="119"/>
        <source>Dispatcher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="120"/>
        <source>Console</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="121"/>
        <source>Board address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="122"/>
        <source>Identifier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="123"/>
        <source>Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../board_table.cpp" line="124"/>
        <source>State</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>velmar::SiteWindow</name>
    <message>
        <location filename="../site_window.cpp" line="73"/>
        <source>%1: %2 %3 → %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="76"/>
        <source>%1: %2 will hold %3, not %4 (a write cannot carry it)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="82"/>
        <source>%1: sent anyway: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="82"/>
        <source>%1: refused: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="90"/>
        <source>%1: written meanwhile by another configurator: %2 %3 → %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="121"/>
        <source>The board already holds this: nothing sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="122"/>
        <source>Checked: nothing sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="123"/>
        <location filename="../site_window.cpp" line="745"/>
        <source>Refused: nothing sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="124"/>
        <source>Written and kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="125"/>
        <source>Written, but not all of it kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="127"/>
        <source>Overtaken by another write: the board holds neither its old values nor these.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="131"/>
        <source>Cancelled after the write was sent: not confirmed that the board kept it. Read it again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="133"/>
        <source>Sent, and no answer showed it kept: not confirmed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="173"/>
        <source>Send anyway?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="174"/>
        <source>This configuration may leave the board unreachable or broken:

%1

Send it anyway?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="180"/>
        <source>VELMAR site boards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="201"/>
        <source>Cancelled: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="224"/>
        <source>&amp;Find boards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="226"/>
        <source>&amp;Add address or range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="228"/>
        <source>&amp;Write board</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="229"/>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="230"/>
        <source>&amp;Copy command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="232"/>
        <source>F&amp;ilter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="233"/>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="234"/>
        <source>&amp;Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="251"/>
        <source>&amp;Site</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="257"/>
        <source>&amp;Board</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="260"/>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="267"/>
        <source>Site</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="271"/>
        <source>Where to look for boards: every adapter, or one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="277"/>
        <source> ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="278"/>
        <source>How long to wait for each answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="282"/>
        <source>Address or range: 10.0.0.2-10.0.0.40</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="283"/>
        <source>Boards that hear no broadcast, asked at their addresses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="290"/>
        <source>Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="313"/>
        <location filename="../site_window.cpp" line="615"/>
        <source>No board chosen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="316"/>
        <source>&amp;Lift address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="316"/>
        <source>&amp;Mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="316"/>
        <source>&amp;Router</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="316"/>
        <source>&amp;Dispatcher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="333"/>
        <source>&amp;Identifier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="336"/>
        <source>Console takes a d&amp;ynamic address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="338"/>
        <source>Board takes its address by D&amp;HCP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="367"/>
        <source>Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="390"/>
        <source>Every adapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="469"/>
        <source>Cancelling ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="495"/>
        <location filename="../site_window.cpp" line="511"/>
        <source>Asking %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="499"/>
        <source>Refused by the system: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="534"/>
        <source>Looking for boards ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="534"/>
        <source>Asking the boards added ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="547"/>
        <source>%n board(s) found</source>
        <translation>
            <numerusform>%n board found</numerusform>
            <numerusform>%n boards found</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location filename="../site_window.cpp" line="549"/>
        <source>; %n address(es) silent</source>
        <translation>
            <numerusform>; %n address silent</numerusform>
            <numerusform>; %n addresses silent</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="551"/>
        <source>; cancelled: what answered until then</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="619"/>
        <source>Board %1 at %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="643"/>
        <source>Copied: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="724"/>
        <source>Writing %1 ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="738"/>
        <source>%1 %2: kept</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../site_window.cpp" line="739"/>
        <source>%1 %2: not kept (the board holds %3)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
