// The program's version resource and manifest, read back from the built executable as Windows
// reads them.
#include <gtest/gtest.h>

#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "engine/core/handles.h"
#include "test_support.h"
#include "version.h"

namespace {

std::vector<char> VersionBlock() {
  const std::string path = PurgonPath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::vector<char> block(size);
  if (size) GetFileVersionInfoA(path.c_str(), 0, size, block.data());
  return block;
}

std::string StringValue(std::vector<char>& block, const char* name) {
  char* text = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) return "";
  return text ? text : "";
}

TEST(VersionResource, CarriesTheVersionInTheFixedPartAndBothTexts) {
  std::vector<char> block = VersionBlock();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(StringValue(block, "FileVersion"), PURGON_VERSION_TEXT);
  EXPECT_EQ(StringValue(block, "ProductVersion"), PURGON_VERSION_TEXT);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD expected[4] = {PURGON_VERSION_BINARY};
  EXPECT_EQ(fixed->dwFileVersionMS, (expected[0] << 16) | expected[1]);
  EXPECT_EQ(fixed->dwFileVersionLS, (expected[2] << 16) | expected[3]);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  struct Translation { WORD language, codePage; }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation->language, 0x0409);
  EXPECT_EQ(translation->codePage, 1200);
}

// The program is a 32-bit executable. Only the 32-bit build can show it: where no 32-bit
// code runs, the tests run the same sources built for x86-64.
TEST(VersionResource, ProgramIsA32BitExecutable) {
#ifdef _WIN64
  GTEST_SKIP() << "the 64-bit build of the same sources runs here; only the 32-bit build "
                  "shows the 32-bit machine type";
#else
  const std::string bytes = ReadFileBytes(PurgonPath());
  ASSERT_GT(bytes.size(), 0x200u);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
#endif
}

// A GUI executable that needs no runtime DLL besides the system's.
TEST(VersionResource, ProgramIsAGuiExecutableWithoutRuntimeDlls) {
  const std::string bytes = ReadFileBytes(PurgonPath());
  ASSERT_GT(bytes.size(), 0x200u);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes.data() + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  for (const char* runtime : {"libstdc++", "libgcc_s", "libwinpthread"})
    EXPECT_EQ(bytes.find(std::string(runtime) + "-"), std::string::npos) << runtime;
}

}  // namespace

namespace {

// The application manifest as Windows finds it: resource type 24, id 1.
std::string ManifestText() {
  HMODULE image = LoadLibraryExA(PurgonPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!image) return "";
  std::string text;
  if (HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    const void* bytes = LockResource(LoadResource(image, found));
    if (bytes) text.assign(static_cast<const char*>(bytes), SizeofResource(image, found));
  }
  FreeLibrary(image);
  return text;
}

// Reads the manifest with the system's XML parser, which accepts only well-formed XML.
class Manifest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    CLSID parser;
    ASSERT_EQ(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &parser), S_OK);
    ASSERT_EQ(CoCreateInstance(parser, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                               document_.ReceiveVoid()),
              S_OK);
  }
  void TearDown() override {
    document_.Reset();
    CoUninitialize();
  }

  // The values of `attribute` on every element named `element`, in document order.
  std::vector<std::string> Attributes(const wchar_t* element, const wchar_t* attribute) {
    std::vector<std::string> values;
    ComPtr<IXMLDOMNodeList> nodes;
    Bstr name(SysAllocString(element));
    if (document_->getElementsByTagName(name.get(), nodes.Receive()) != S_OK) return values;
    long count = 0;
    nodes->get_length(&count);
    for (long i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> node;
      ComPtr<IXMLDOMElement> item;
      VARIANT value;
      VariantInit(&value);
      Bstr attributeName(SysAllocString(attribute));
      if (nodes->get_item(i, node.Receive()) == S_OK &&
          node->QueryInterface(IID_IXMLDOMElement, item.ReceiveVoid()) == S_OK &&
          item->getAttribute(attributeName.get(), &value) == S_OK && value.vt == VT_BSTR)
        values.push_back(Narrow(value.bstrVal));
      VariantClear(&value);
    }
    return values;
  }
  std::string Text(const wchar_t* element) {
    ComPtr<IXMLDOMNodeList> nodes;
    ComPtr<IXMLDOMNode> node;
    Bstr name(SysAllocString(element));
    Bstr text;
    if (document_->getElementsByTagName(name.get(), nodes.Receive()) != S_OK ||
        nodes->get_item(0, node.Receive()) != S_OK || !node || node->get_text(text.Receive()) != S_OK)
      return "";
    return Narrow(text.get());
  }
  static std::string Narrow(const wchar_t* wide) {
    std::string out;
    for (; wide && *wide; ++wide) out += static_cast<char>(*wide);
    return out;
  }

  ComPtr<IXMLDOMDocument> document_;
};

TEST_F(Manifest, IsWellFormedAndAsksForTheHighestLevelModernWindowsAndCommonControls6) {
  const std::string text = ManifestText();
  ASSERT_FALSE(text.empty()) << "no manifest in purgon.exe";
  std::wstring wide(text.begin(), text.end());
  Bstr xml(SysAllocString(wide.c_str()));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  ASSERT_EQ(document_->loadXML(xml.get(), &loaded), S_OK);
  ASSERT_EQ(loaded, VARIANT_TRUE) << "not well-formed:\n" << text;

  EXPECT_EQ(Attributes(L"requestedExecutionLevel", L"level"),
            std::vector<std::string>{"highestAvailable"});
  EXPECT_EQ(Attributes(L"requestedExecutionLevel", L"uiAccess"), std::vector<std::string>{"false"});
  EXPECT_EQ(Attributes(L"supportedOS", L"Id"),
            (std::vector<std::string>{"{e2011457-1546-43c5-a5fe-008deee3d3f0}",    // Vista
                                      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // 7
                                      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // 8
                                      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // 8.1
                                      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));  // 10
  const std::vector<std::string> names = Attributes(L"assemblyIdentity", L"name");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1], "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attributes(L"assemblyIdentity", L"version")[1], "6.0.0.0");
  EXPECT_EQ(Attributes(L"assemblyIdentity", L"publicKeyToken"),
            std::vector<std::string>{"6595b64144ccf1df"});
  EXPECT_EQ(Text(L"dpiAware"), "true");
}

}  // namespace
