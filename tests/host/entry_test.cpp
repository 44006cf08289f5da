// The module as the host finds and drives it: its PiPL read back from the built module
// (the resource of the DLL under Wine, the exported data natively), global setup and
// setdown, the about command, commands it does not handle, and modules the host refuses.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/dialog_watch.h"
#include "host/world.h"
#include "host_fixture.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using qvhost::ModuleError;
using qvhost::Module;

// ---- The PiPL: eleven properties, in order, all vendor "8BIM" and id 0. ----------------

TEST(ModulePipl, ReadsBackPropertyByProperty) {
  auto module = Module::Load(ModulePath());
  const qvhost::Pipl& pipl = module->pipl();
  EXPECT_EQ(module->pipl_bytes().size(), 258u);
  EXPECT_EQ(pipl.kind_word, 1);
  EXPECT_EQ(pipl.version, 0u);

  struct Property {
    const char* key;
    uint32_t length;
  };
  const Property kOrder[] = {{"kind", 4}, {"name", 8}, {"catg", 12}, {"8664", 16},
                             {"ePVR", 4}, {"eSVR", 4}, {"eVER", 4},  {"eINF", 2},
                             {"eGLO", 4}, {"eMNA", 8}, {"aeFL", 4}};
  ASSERT_EQ(pipl.properties.size(), sizeof kOrder / sizeof kOrder[0]);
  for (size_t i = 0; i < pipl.properties.size(); ++i) {
    const qvhost::PiplProperty& p = pipl.properties[i];
    SCOPED_TRACE(kOrder[i].key);
    EXPECT_EQ(p.vendor, "8BIM");
    EXPECT_EQ(p.key, kOrder[i].key);
    EXPECT_EQ(p.id, 0u);
    EXPECT_EQ(p.length, kOrder[i].length);
  }

  EXPECT_EQ(pipl.Code("kind"), "eFKT");
  EXPECT_EQ(pipl.PascalString("name"), "Glissel");
  EXPECT_EQ(pipl.PascalString("catg"), "Zentrivo");
  EXPECT_EQ(pipl.CString("8664"), "EntryPointFunc");
  EXPECT_EQ(pipl.VersionPair("ePVR"), std::make_pair(uint16_t{2}, uint16_t{0}));
  EXPECT_EQ(pipl.VersionPair("eSVR"), std::make_pair(uint16_t{13}, uint16_t{2}));
  EXPECT_EQ(pipl.Long("eVER"), 0x00100001u);
  EXPECT_EQ(pipl.Short("eINF"), 0);
  EXPECT_EQ(pipl.Long("eGLO"), 0x06008454u);
  EXPECT_EQ(pipl.PascalString("eMNA"), "Quorvel");
  EXPECT_EQ(pipl.Long("aeFL"), 0u);
  EXPECT_EQ(pipl.Find("eGL2"), nullptr) << "there is no second out flags property";

  // Codes are stored reversed: the first property reads "MIB8" "dnik" byte by byte.
  const std::vector<uint8_t>& b = module->pipl_bytes();
  EXPECT_EQ(std::string(b.begin() + 10, b.begin() + 18), "MIB8dnik");
  EXPECT_EQ(std::string(b.begin() + 26, b.begin() + 30), "TKFe");
  // The Pascal string of the category is padded with zeros to 12 bytes.
  EXPECT_EQ(b[70], 8);
  EXPECT_EQ(std::string(b.begin() + 71, b.begin() + 79), "Zentrivo");
  EXPECT_EQ(b[79], 0);
  EXPECT_EQ(b[80], 0);
  EXPECT_EQ(b[81], 0);
}

TEST(ModulePipl, NamesTheExportedEntryPoint) {
  auto module = Module::Load(ModulePath());
  EXPECT_EQ(module->entry_name(), "EntryPointFunc");
  ASSERT_NE(module->entry(), nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(module->entry()), module->Symbol("EntryPointFunc"));
}

// ---- Global commands and the about command ----------------------------------------------

class CommandsTest : public ModuleTest {};

TEST_F(CommandsTest, GlobalSetupAnswersThePiplsVersionAndFlags) {
  EXPECT_EQ(session_->GlobalSetup(), PF_Err_NONE);
  const PF_OutData& out = session_->out_data();
  EXPECT_EQ(out.my_version, 0x00100001u);
  EXPECT_EQ(out.my_version, *module_->pipl().Long("eVER"));
  EXPECT_EQ(static_cast<uint32_t>(out.out_flags), 0x06008454u);
  EXPECT_EQ(static_cast<uint32_t>(out.out_flags), *module_->pipl().Long("eGLO"));
  EXPECT_EQ(out.out_flags2, 0) << "no thread-safety or other second flags";
  EXPECT_EQ(out.return_msg[0], '\0');
  EXPECT_TRUE(session_->problems().empty()) << session_->problems().front();
  EXPECT_TRUE(session_->messages().empty());
  EXPECT_EQ(session_->GlobalSetdown(), PF_Err_NONE);
}

TEST_F(CommandsTest, GlobalSetupAndSetdownCanRepeat) {
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(session_->GlobalSetup(), PF_Err_NONE);
    EXPECT_EQ(session_->GlobalSetdown(), PF_Err_NONE);
  }
  EXPECT_EQ(session_->handles().live(), 0u);
}

// Where a display exists the box is shown; the watcher closes it as Escape would.
TEST_F(CommandsTest, AboutAsksForTheMainWindowAndReturnsZero) {
  ASSERT_EQ(session_->GlobalSetup(), PF_Err_NONE);
  PF_Err err = -1;
  qvhost::WatchDialog([&] { err = session_->About(); }, {});
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(session_->platform_data_calls(), 1);
  EXPECT_EQ(session_->GlobalSetdown(), PF_Err_NONE);
}

// Commands the effect does not handle return 0 and leave every record as it was: the in
// and out data, the parameter array, the output world and the host's handles.
TEST_F(CommandsTest, UnhandledSelectorsReturnZeroAndChangeNothing) {
  session_->SetLayerSize(8, 4);
  SetUpEffect();
  qvhost::World output(8, 4, false, 4);
  output.Fill(PF_Pixel{1, 2, 3, 4});

  std::vector<uint8_t> pixels(static_cast<uint8_t*>(output.def().data),
                              static_cast<uint8_t*>(output.def().data) + output.def().rowbytes * 4);
  PF_InData in_before = session_->in_data();
  PF_OutData out_before = session_->out_data();
  std::vector<PF_ParamDef> values_before = session_->values();

  for (PF_Cmd cmd : {2, 9, 10, 12, 13, 14, 16, 17, 18, 23, 24, 99}) {
    SCOPED_TRACE("command " + std::to_string(cmd));
    EXPECT_EQ(session_->Send(cmd, &output.def(), nullptr), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(&session_->in_data(), &in_before, sizeof in_before), 0);
    EXPECT_EQ(std::memcmp(&session_->out_data(), &out_before, sizeof out_before), 0);
    ASSERT_EQ(session_->values().size(), values_before.size());
    EXPECT_EQ(std::memcmp(session_->values().data(), values_before.data(),
                          values_before.size() * sizeof(PF_ParamDef)),
              0);
    EXPECT_EQ(std::memcmp(output.def().data, pixels.data(), pixels.size()), 0);
    EXPECT_EQ(session_->handles().created(), 0);
    EXPECT_TRUE(session_->checkouts().empty());
    EXPECT_TRUE(session_->suite_requests().empty());
  }
  EXPECT_TRUE(session_->problems().empty()) << session_->problems().front();
}

// ---- Modules the host refuses ------------------------------------------------------------

std::string LoadError(const std::string& path) {
  try {
    Module::Load(path);
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "";
}

TEST(ModuleLoad, RefusesAMissingFileNamingIt) {
  std::string path = PluginPath("NoSuchModule.AEX");
  std::string error = LoadError(path);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find("no such file"), std::string::npos) << error;
  EXPECT_NE(LoadError("").find("no file"), std::string::npos);
}

TEST(ModuleLoad, RefusesAFileThatIsNotAModule) {
  std::string path = WorkPath("not_a_module.AEX");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("this is text, not a library\n", f);
  std::fclose(f);
  std::string error = LoadError(path);
  EXPECT_NE(error.find("not a loadable module"), std::string::npos) << error;
}

TEST(ModuleLoad, RefusesALibraryWithoutAPipl) {
#if defined(_WIN32)
  char folder[MAX_PATH];
  UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::string library = std::string(folder, n) + "\\kernel32.dll";
#else
  Dl_info info;
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&std::fopen), &info), 0);
  std::string library = info.dli_fname;
#endif
  std::string error = LoadError(library);
  EXPECT_NE(error.find("no PiPL"), std::string::npos) << error;
  EXPECT_NE(error.find("not an effect module"), std::string::npos) << error;
}

}  // namespace
