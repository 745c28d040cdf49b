#pragma once

// How well a source comes through: a clear picture, a picture mixed with
// noise (a station received off-centre), or nothing at all (snow).
enum class Reception { Clear, Noisy, None };
