// The support site the About box links to: the project's home page. The project has no public
// home page yet; a reserved example domain stands in, so that the link can never lead to a
// stranger's site.
#pragma once

// The About box takes a reference to the address: pass &kSupportSiteAddress.
inline const char* const kSupportSiteAddress = "https://morvane.example/";
