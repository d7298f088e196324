// The registration-script runner's parser and plan: the program's own script, the grammar,
// malformed scripts, and a bounded random test that nothing malformed yields a step.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "server/registrar_script.h"

namespace {

const char kAppId[] = "{8E3C52A4-6F1B-4D7A-B0C9-3A5E7D2F1C86}";

std::vector<RegistrarVariable> Variables() {
  return {{"Module", "\"C:\\Bob's tools\\purgon.exe\""},
          {"Module_Raw", "C:\\Bob's tools\\purgon.exe"},
          {"APPID", ""}};
}

const char* RootName(RegistrarRoot root) {
  switch (root) {
    case RegistrarRoot::ClassesRoot: return "HKCR";
    case RegistrarRoot::CurrentUser: return "HKCU";
    case RegistrarRoot::LocalMachine: return "HKLM";
    case RegistrarRoot::Users: return "HKU";
  }
  return "?";
}

// One line per key: root\path, "!" for NoRemove, then name=data for each value.
std::string Dump(const RegistrarParse& parse) {
  if (!parse.ok) return "error";
  std::string out;
  for (const RegistrarKey& key : parse.keys) {
    out += std::string(RootName(key.root)) + "\\" + key.path + (key.noRemove ? "!" : "");
    for (const RegistrarValue& value : key.values) out += " [" + value.name + "]=" + value.data;
    out += "\n";
  }
  return out;
}

std::string Dump(const std::vector<RegistrarStep>& steps) {
  static const char* const kinds[] = {"create", "set", "delete-value", "delete-key"};
  std::string out;
  for (const RegistrarStep& step : steps) {
    out += std::string(kinds[step.kind]) + " " + RootName(step.root) + "\\" + step.path;
    if (step.kind == RegistrarStep::SetString || step.kind == RegistrarStep::DeleteValue)
      out += " [" + step.name + "]";
    if (step.kind == RegistrarStep::SetString) out += "=" + step.data;
    out += "\n";
  }
  return out;
}

std::string ProgramScript() {
  std::string here = __FILE__;
  const std::string root = here.substr(0, here.rfind("tests"));
  std::ifstream in(root + "res/purgon.rgs", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RegistrarScript, ProgramScriptRegistersAndUnregistersTheAppIdKeys) {
  const std::string script = ProgramScript();
  ASSERT_FALSE(script.empty());
  const RegistrarParse parse = ParseRegistrarScript(script, Variables());
  ASSERT_TRUE(parse.ok) << parse.error;
  const std::string id = kAppId;
  EXPECT_EQ(Dump(PlanRegistration(parse.keys, true)),
            "create HKCR\\AppID\n"
            "create HKCR\\AppID\\" + id + "\n"
            "set HKCR\\AppID\\" + id + " []=Purgon\n"
            "create HKCR\\AppID\\Purgon.EXE\n"
            "set HKCR\\AppID\\Purgon.EXE [AppID]=" + id + "\n");
  // "AppID" itself is never deleted; children go before their parents.
  EXPECT_EQ(Dump(PlanRegistration(parse.keys, false)),
            "delete-value HKCR\\AppID\\Purgon.EXE [AppID]\n"
            "delete-key HKCR\\AppID\\Purgon.EXE\n"
            "delete-key HKCR\\AppID\\" + id + "\n");
}

struct GoodCase {
  const char* script;
  const char* keys;
};

const GoodCase kGoodScripts[] = {
    {"", ""},
    {"HKCU { 'a b' = s 'it''s' }", "HKCU\\a b []=it's\n"},
    {"hkcr { noremove K { VAL v = s x\tval 'w w' = s '' } }", "HKCR\\K! [v]=x [w w]=\n"},
    {"HKEY_LOCAL_MACHINE { A { B { C = s c } } D }\r\nHKU { E }",
     "HKLM\\A\nHKLM\\A\\B\nHKLM\\A\\B\\C []=c\nHKLM\\D\nHKU\\E\n"},
    // Replacement values stay inside their word, quotes and blanks included.
    {"HKCR { k = s %Module% { val r = s %Module_Raw% val a = s '%APPID%x' val p = s 100%% } }",
     "HKCR\\k []=\"C:\\Bob's tools\\purgon.exe\" [r]=C:\\Bob's tools\\purgon.exe [a]=x [p]=100%\n"},
    // Quoted, the grammar's words are plain names.
    {"HKCR { 'NoRemove' { 'val' = s '{' } '{' }", "HKCR\\NoRemove\nHKCR\\NoRemove\\val []={\nHKCR\\{\n"},
    {"HKCR { {1-2} = s {3-4} { val x = s } } }", "error"},
};

TEST(RegistrarScript, GrammarCases) {
  for (const GoodCase& c : kGoodScripts)
    EXPECT_EQ(Dump(ParseRegistrarScript(c.script, Variables())), c.keys) << c.script;
}

// Every one must fail without any key.
const char* const kMalformedScripts[] = {
    "HKCR",
    "HKCR {",
    "HKCR { a {",
    "HKCR { a { }",
    "HKCR { } }",
    "}",
    "{ }",
    "HKXX { }",
    "HKCR { { } }",
    "HKCR { 'abc }",
    "HKCR { a = s 'x }",
    "HKCR { a = s 'x'' }",
    "HKCR { val x = s y }",
    "HKCR { a { val } }",
    "HKCR { a { val x } }",
    "HKCR { a { val x = } }",
    "HKCR { a { val x = s } }",
    "HKCR { a { val { = s x } }",
    "HKCR { a = }",
    "HKCR { a = s }",
    "HKCR { a = s { } }",
    "HKCR { a = d 5 }",
    "HKCR { a = b }",
    "HKCR { ForceRemove a }",
    "HKCR { Delete a }",
    "HKCR { NoRemove }",
    "HKCR { NoRemove { } }",
    "HKCR { %Nope% }",
    "HKCR { %Module }",
    "HKCR { 'a\\b' }",
    "HKCR { a\\..\\b }",
    "HKCR { '' }",
    "HKCR { a } junk",
};

TEST(RegistrarScript, MalformedScriptsFailWithoutKeys) {
  for (const char* script : kMalformedScripts) {
    const RegistrarParse parse = ParseRegistrarScript(script, Variables());
    EXPECT_FALSE(parse.ok) << script;
    EXPECT_TRUE(parse.keys.empty()) << script;
    EXPECT_FALSE(parse.error.empty()) << script;
  }
  EXPECT_FALSE(ParseRegistrarScript(std::string("HKCR { a\0b }", 12), Variables()).ok);
  EXPECT_FALSE(ParseRegistrarScript("HKCR { " + std::string(256, 'n') + " }", Variables()).ok);
  EXPECT_TRUE(ParseRegistrarScript("HKCR { " + std::string(255, 'n') + " }", Variables()).ok);
}

std::string Nested(size_t depth, bool closed) {
  std::string script = "HKCR {";
  for (size_t i = 0; i < depth; ++i) script += " k {";
  for (size_t i = 0; i < depth && closed; ++i) script += " }";
  return script + (closed ? " }" : "");
}

TEST(RegistrarScript, DeepNestingIsBoundedNotRecursive) {
  EXPECT_EQ(ParseRegistrarScript(Nested(kRegistrarMaxDepth, true), {}).keys.size(), kRegistrarMaxDepth);
  for (size_t depth : {kRegistrarMaxDepth + 1, size_t(10000)}) {
    for (bool closed : {true, false}) {
      const RegistrarParse parse = ParseRegistrarScript(Nested(depth, closed), {});
      EXPECT_FALSE(parse.ok) << depth;
      EXPECT_TRUE(parse.keys.empty());
    }
  }
}

// What a successful parse may contain whatever the text: keys below their parents, names
// within the limits, and an unregistration that deletes only removable keys it names.
void ExpectSoundResult(const std::string& script, const RegistrarParse& parse) {
  if (!parse.ok) {
    EXPECT_TRUE(parse.keys.empty()) << script;
    EXPECT_FALSE(parse.error.empty()) << script;
    return;
  }
  for (size_t i = 0; i < parse.keys.size(); ++i) {
    const RegistrarKey& key = parse.keys[i];
    ASSERT_FALSE(key.path.empty()) << script;
    ASSERT_LE(key.path.size(), kRegistrarMaxPathLength) << script;
    const size_t cut = key.path.rfind('\\');
    if (cut == std::string::npos) continue;
    bool parentNamed = false;
    for (size_t j = 0; j < i && !parentNamed; ++j)
      parentNamed = parse.keys[j].root == key.root && parse.keys[j].path == key.path.substr(0, cut);
    EXPECT_TRUE(parentNamed) << script;
  }
  for (const RegistrarStep& step : PlanRegistration(parse.keys, false)) {
    if (step.kind != RegistrarStep::DeleteKeyIfNoSubKeys) continue;
    bool removable = false;
    for (const RegistrarKey& key : parse.keys)
      removable |= key.root == step.root && key.path == step.path && !key.noRemove;
    EXPECT_TRUE(removable) << script;
  }
}

TEST(RegistrarScript, RandomMutationsOfAValidScriptFailCleanly) {
  const std::string base = ProgramScript() +
      "HKCU\r\n{\r\n\t'Software'\r\n\t{\r\n\t\tNoRemove x = s '%Module%' { val 'y''z' = s %APPID% }\r\n\t}\r\n}\r\n";
  const char pieces[] = "{}'%= \r\n\t\\sv";
  std::mt19937 random(20261208);
  for (int round = 0; round < 3000; ++round) {
    std::string script = base;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !script.empty(); ++e) {
      const size_t at = random() % script.size();
      switch (random() % 4) {
        case 0: script.erase(at, 1 + random() % 3); break;
        case 1: script.insert(at, 1, pieces[random() % (sizeof(pieces) - 1)]); break;
        case 2: script.insert(at, 1, static_cast<char>(random() % 256)); break;
        case 3: script.resize(at); break;
      }
    }
    ExpectSoundResult(script, ParseRegistrarScript(script, Variables()));
  }
}

TEST(RegistrarScript, RandomWordSequencesFailCleanly) {
  const char* const words[] = {"HKCR", "HKCU", "{", "}", "{", "}", "val", "NoRemove", "=", "s",
                               "'q q'", "name", "%Module%", "'", "%", "'a''b'", "{G}"};
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string script;
    const int length = static_cast<int>(random() % 40);
    for (int w = 0; w < length; ++w) script += std::string(words[random() % 17]) + " ";
    ExpectSoundResult(script, ParseRegistrarScript(script, Variables()));
  }
}

}  // namespace
