// The project's home page: the finish page's link and site line, "检查更新"
// and the About box all name this one address.
#pragma once

namespace varnel {

// PLACEHOLDER: the project has no public home yet; replace both values when
// it has one.
inline constexpr const char* kHomePage = "https://varnel.example.org/";
inline constexpr const char* kHomePageName = "Varnel 主页";

}  // namespace varnel
