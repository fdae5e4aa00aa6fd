// The game's own files: where they live.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "base/own_files.h"

namespace quorvel {
namespace {

TEST(ConfigDir, XdgConfigHomeWhenAbsoluteElseHomeDotConfig) {
  const char* cases[][3] = {{"/x", "/h", "/x/quorvel"},
                            {"x", "/h", "/h/.config/quorvel"},
                            {nullptr, "/h", "/h/.config/quorvel"},
                            {nullptr, "rel/h", ""},
                            {"", "", ""}};
  for (const auto& [xdg, home, want] : cases) {
    for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, {"HOME", home}}) {
      value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    EXPECT_EQ(ConfigDir(), want) << (xdg ? xdg : "(unset)");
  }
}

}  // namespace
}  // namespace quorvel
