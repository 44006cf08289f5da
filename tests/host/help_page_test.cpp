// The help page installed beside the module: it documents every parameter the module
// defines, under the name the host shows, with the slider range, limits and default the
// module gives it (read from the module, so the page cannot drift from it); every
// rendering mode has its picture; every picture it shows is installed; and it is a
// self-contained page whose tags and links hold together.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

std::string HelpDir() { return PluginPath("Glissel"); }

std::string HelpFile(const std::string& name) {
#if defined(_WIN32)
  return HelpDir() + "\\" + name;
#else
  return HelpDir() + "/" + name;
#endif
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

double Fixed(PF_Fixed value) { return value / 65536.0; }

// Numbers as the page writes them: at most three decimals, no trailing zeros.
std::string Plain(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::round(value * 1000) / 1000);
  return text;
}

std::string TwoDecimals(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// The host shows the tab inside "Strength of<tab>shininess" as a space.
std::string Shown(const char* name) {
  std::string s = name;
  for (char& c : s)
    if (c == '\t') c = ' ';
  return s;
}

// The quoted values that follow each occurrence of `prefix` (an attribute and its quote).
std::vector<std::string> Attributes(const std::string& page, const std::string& prefix) {
  std::vector<std::string> values;
  for (size_t at = page.find(prefix); at != std::string::npos; at = page.find(prefix, at + 1)) {
    const size_t start = at + prefix.size();
    values.push_back(page.substr(start, page.find('"', start) - start));
  }
  return values;
}

size_t Count(const std::string& page, const std::string& text) {
  size_t n = 0;
  for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1)) ++n;
  return n;
}

class HelpPage : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    SetUpEffect();
    page_ = ReadAll(HelpFile("glissel.html"));
    ASSERT_FALSE(page_.empty()) << HelpFile("glissel.html");
  }
  std::string page_;
};

// Each parameter has its own row, the ball's before the pendant's where names repeat;
// sliders show their slider range, their limits and their default.
TEST_F(HelpPage, DocumentsEveryParameterWithItsRangeAndDefault) {
  std::map<std::string, size_t> next_search;
  int documented = 0;
  for (const PF_ParamDef& def : session_->definitions()) {
    if (def.param_type == PF_Param_GROUP_END) continue;
    const std::string name = Shown(def.name);
    SCOPED_TRACE(name);
    if (def.param_type == PF_Param_GROUP_START) {
      EXPECT_NE(page_.find("<h3>" + name), std::string::npos) << "no section for the group";
      continue;
    }
    const std::string cell = "<td class=\"name\">" + name + "</td>";
    const size_t at = page_.find(cell, next_search[name]);
    ASSERT_NE(at, std::string::npos) << "no row for this parameter (or too few rows)";
    next_search[name] = at + cell.size();
    const std::string row = page_.substr(at, page_.find("</tr>", at) - at);
    ++documented;
    if (def.param_type == PF_Param_FIX_SLIDER) {
      const PF_FixedSliderDef& s = def.u.fd;
      EXPECT_NE(row.find(Plain(Fixed(s.slider_min)) + " to " + Plain(Fixed(s.slider_max))),
                std::string::npos) << row;
      EXPECT_NE(row.find(Plain(Fixed(s.valid_min)) + " to " + Plain(Fixed(s.valid_max))),
                std::string::npos) << row;
      EXPECT_NE(row.find(">" + TwoDecimals(Fixed(s.dephault)) + "<"), std::string::npos) << row;
    } else if (def.param_type == PF_Param_SLIDER) {
      const PF_SliderDef& s = def.u.sd;
      EXPECT_NE(row.find(Plain(s.slider_min) + " to " + Plain(s.slider_max)), std::string::npos);
      EXPECT_NE(row.find(Plain(s.valid_min) + " to " + Plain(s.valid_max)), std::string::npos);
      EXPECT_NE(row.find(">" + Plain(s.dephault) + "<"), std::string::npos) << row;
    } else if (def.param_type == PF_Param_CHECKBOX) {
      EXPECT_NE(row.find(def.u.bd.dephault ? "<td>on</td>" : "<td>off</td>"), std::string::npos)
          << row;
    }
  }
  EXPECT_EQ(documented, 46);  // 52 definitions less 3 group starts and 3 group ends
}

// Every choice of "Rendering mode" has a figure with its picture and its name.
TEST_F(HelpPage, ShowsEveryRenderingModeWithAPicture) {
  const PF_ParamDef& mode = session_->definitions().at(1);
  ASSERT_EQ(mode.param_type, PF_Param_POPUP);
  std::stringstream choices(mode.u.pd.u.namesptr);
  std::string choice;
  int count = 0;
  while (std::getline(choices, choice, '|')) {
    std::string file = "mode_" + choice + ".png";
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string figure =
        "<figure><img src=\"" + file + "\" alt=\"" + choice + " mode\"><figcaption><b>" + choice + "</b>";
    EXPECT_NE(page_.find(figure), std::string::npos) << choice;
    ++count;
  }
  EXPECT_EQ(count, 7);
}

// Every picture the page shows is installed beside it, as a PNG file of 320 x 240.
TEST_F(HelpPage, EveryPictureItShowsIsInstalled) {
  int pictures = 0;
  for (const std::string& file : Attributes(page_, "<img src=\"")) {
    SCOPED_TRACE(file);
    EXPECT_EQ(file.find('/'), std::string::npos);  // beside the page, nothing fetched
    const std::string bytes = ReadAll(HelpFile(file));
    ASSERT_GE(bytes.size(), 24u) << "missing";
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const auto be32 = [&](size_t at) {
      return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
             (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    EXPECT_EQ(be32(16), 320u);
    EXPECT_EQ(be32(20), 240u);
    ++pictures;
  }
  EXPECT_GE(pictures, 18);
}

// Self-contained: its own stylesheet, no scripts, no outside files; the tags that hold
// content are closed; every link inside the page leads to a section that exists.
TEST_F(HelpPage, IsASelfContainedWellFormedPage) {
  EXPECT_EQ(page_.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page_.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page_.find("<style>"), std::string::npos);
  EXPECT_EQ(page_.find("<script"), std::string::npos);
  EXPECT_EQ(page_.find("<link"), std::string::npos);
  EXPECT_EQ(page_.find("src=\"http"), std::string::npos);
  for (const char* tag : {"html", "head", "body", "main", "table", "tr", "figure", "ul", "ol",
                          "h1", "h2", "h3", "p", "style", "nav", "figcaption"}) {
    const size_t opened = Count(page_, std::string("<") + tag + " ") + Count(page_, std::string("<") + tag + ">");
    EXPECT_EQ(opened, Count(page_, std::string("</") + tag + ">")) << tag;
    EXPECT_GT(opened, 0u) << tag;
  }
  for (const std::string& target : Attributes(page_, "href=\"#"))
    EXPECT_NE(page_.find("id=\"" + target + "\""), std::string::npos) << target;
}

}  // namespace
