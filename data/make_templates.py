#!/usr/bin/env python3
# Writes the shipped templates NorvOrg.INI, NorvOrg.KWD and NorvOrg.DAT into the folder given
# (normally data/). They are kept here in UTF-8 for editing and written in code page 932,
# the code page the editor reads its configuration files in on a Japanese system.
#   python3 data/make_templates.py data
import sys
out = sys.argv[1]

ini = r"""[Settings]
TextMode=1
User1TAB=8
User1Column=256
User2TAB=4
User2Column=256
User3TAB=4
User3Column=80
User4TAB=4
User4Column=256
KeyDefinition=Norv.KEY
Menu0Item=&Edit
Menu0Add=0
Menu1Item=&Tools
Menu1Add=0
[Options]
U1AutoI=1
U1NoWrap=1
U2AutoI=1
U3AutoI=1
U4AutoI=1
U4SoftT=1
U4NoWrap=1
[Others]
ANKOida=([{｢
ANKBura=,.)]}!?:;｡｣､･ﾞﾟ
DBCSOida=「『（［｛〈《【〔‘“
DBCSBura=、。，．・：；？！ー」』）］｝〉》】〕’”ヽヾゝゞ々ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ
DefExt=*.txt;*.*
DefCmt=Text
C_Ext=*.c;*.cpp;*.cc;*.cxx;*.h;*.hpp;*.hh;*.hxx
C_Cmt=C/C++ source
HTML_Ext=*.html;*.htm;*.xhtml;*.xml
HTML_Cmt=HTML
User1Ext=*.sh;*.bash;*.zsh;*.mk;*.mak
User1Cmt=Shell script
User2Ext=*.nrs
User2Cmt=Norv Script
User3Ext=*.md;*.markdown
User3Cmt=Markdown
User4Ext=*.py
User4Cmt=Python
LHAA=lha a %1 %2
LHAX=lha xw=%2 %1
ZIPA=zip -r %1 %2
ZIPX=unzip -o %1 -d %2
ZIPDOS=1
LZHDOS=1
GrepMask=*.c;*.cpp;*.h;*.hpp;*.txt
[Colors]
Key0Color=000 000 192
Key1Color=128 000 128
Key2Color=000 128 000
Key3Color=160 080 000
Key4Color=000 000 192
Key5Color=000 128 000
Key6Color=000 000 192
Key7Color=000 128 000
Key8Color=000 000 192
Key9Color=128 000 128
KeyAColor=000 128 000
[Fonts]
TextFontHeight=16
TextFont=Noto Sans Mono CJK JP
PrintFontHeight=16
PrintFont=Noto Sans Mono CJK JP
"""

c_kw = """auto break case char const continue default do double else enum extern float for goto if
inline int long register restrict return short signed sizeof static struct switch typedef union
unsigned void volatile while bool true false alignas alignof and asm catch class char8_t char16_t
char32_t concept consteval constexpr constinit const_cast co_await co_return co_yield decltype
delete dynamic_cast explicit export friend mutable namespace new noexcept not nullptr operator or
private protected public reinterpret_cast requires static_assert static_cast template this
thread_local throw try typeid typename using virtual wchar_t xor override final""".split()
c_pp = "#include #define #undef #if #ifdef #ifndef #elif #else #endif #error #pragma #line defined".split()
html = """html head title body meta link script style div span p a img br hr table tr td th
thead tbody ul ol li dl dt dd h1 h2 h3 h4 h5 h6 form input button select option textarea label
pre code em strong b i u blockquote section article header footer nav main iframe""".split()
html = ["<" + t for t in html] + ["</" + t for t in html] + ["/>", ">"]
sh = """if then else elif fi for while until do done case esac in function select return exit
break continue local export readonly declare set unset shift source alias trap eval exec test
echo printf read cd""".split()
nrs_kw = """AND AS BOOL CALL CASE CONST DECLARE DIM DO ELSE END EXIT FOR FUNCTION GLOBAL GOTO HWND
IF INTEGER LOOP MAIN MOD NEXT NOT OPTION OR PROC REDIM RETURN SELECT STATIC STEP STRING SUB THEN
TO TYPE UNTIL WEND WHILE XOR TRUE FALSE #INCLUDE""".split()

groups = [
    ("C/C++ keywords", "*.c;*.cpp;*.cc;*.cxx;*.h;*.hpp;*.hh;*.hxx", 2),
    ("C preprocessor", "*.c;*.cpp;*.cc;*.cxx;*.h;*.hpp;*.hh;*.hxx", 2),
    ("C/C++ comments", "*.c;*.cpp;*.cc;*.cxx;*.h;*.hpp;*.hh;*.hxx", 2),
    ("C/C++ characters", "*.c;*.cpp;*.cc;*.cxx;*.h;*.hpp;*.hh;*.hxx", 2),
    ("HTML tags", "*.html;*.htm;*.xhtml;*.xml", 3),
    ("HTML comments", "*.html;*.htm;*.xhtml;*.xml", 2),
    ("Shell keywords", "*.sh;*.bash;*.zsh", 2),
    ("Shell comments", "*.sh;*.bash;*.zsh;*.mk;*.mak", 2),
    ("Norv Script keywords", "*.nrs", 3),
    ("Norv Script directives", "*.nrs", 3),
    ("Norv Script comments", "*.nrs", 2),
]
kwd = []
for g in range(16):
    name, types, sw = groups[g] if g < len(groups) else ("", "", 2)
    kwd.append(chr(0x10 + g) + f"{name}\t{types}\t{sw}")
blocks = [("/*", 2, "*/", 1, 0), ("//", 2, "", 1, 0), ("'", 3, "'", 1, 0),
          ("<!--", 5, "-->", 1, 0), ("#", 7, "", 1, 0), ("'", 10, "", 1, 0),
          ("Rem ", 10, "", 1, 0), ("REM ", 10, "", 1, 0), ("rem ", 10, "", 1, 0)]
for b, g, e, c, bold in blocks:
    kwd.append(f" {b}\t{g:X}\t{e}\t{c}\t{bold}")
for w in c_kw: kwd.append(f"{w}\t0")
for w in c_pp: kwd.append(f"{w}\t1")
for w in html: kwd.append(f"{w}\t4")
for w in sh: kwd.append(f"{w}\t6")
for w in nrs_kw: kwd.append(f"{w}\t8")

dat = ["##UserMenu"]
menus = [
    [("&Undo", "Undo"), None, ("Cu&t", "EditCut"), ("&Copy", "EditCopy"), ("&Paste", "EditPaste"),
     None, ("Select &All", "SelectAll"), None, ("&Find...", "SearchFwd"), ("&Replace...", "Replace"),
     ("&Jump to Line...", "JumpLine"), ("Tag J&ump", "TagJump")],
    [("&Run Command...", "Shell"), ("&Launcher...", "ShellMenu"), None,
     ("Find in &Files...", "Grep"), ("C&ompare...", "Compare"), None, ("Run &Script", "RunScript")],
    [], [], [],
]
for m in menus:
    dat.append("#Begin")
    for item in m:
        dat.append("-" if item is None else f"{item[0]}\t{item[1]}")
    dat.append("#End")
dat.append("##Shell")
shell = [("make", "make", " ", "O"), ("make clean", "make clean", " ", "O"),
         ("grep", "grep -n %I[Pattern:] %P", " ", "O"),
         ("sort", "sort %T", " ", "E"),
         ("terminal", "x-terminal-emulator", " ", " "),
         ("file manager", "xdg-open %D", " ", " ")]
for i in range(26):
    dat.append("\t".join(shell[i]) if i < len(shell) else "")
dat.append("##Script")
for i in range(16): dat.append("")
for i in range(260): dat.append("")
dat.append("##RegDir")
for i in range(16): dat.append("")

def write(name, lines_or_text):
    text = lines_or_text if isinstance(lines_or_text, str) else "\n".join(lines_or_text) + "\n"
    data = text.encode("cp932")
    open(f"{out}/{name}", "wb").write(data)

write("NorvOrg.INI", ini)
write("NorvOrg.KWD", kwd)
write("NorvOrg.DAT", dat)
