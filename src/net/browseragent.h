#pragma once

// The User-Agent of a current desktop browser, for requests to sites that no
// rule was written for (playlists, fragments, keys): an old agent there gets
// refused, or a page for old browsers.
inline constexpr char kBrowserUserAgent[] =
    "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";
