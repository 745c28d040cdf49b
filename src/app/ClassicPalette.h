#pragma once

class QPalette;

// The grey palette of the desktop the panel was designed for: button face
// 192 grey, white highlights, 128 grey shadows, black text. The knob's shading
// and the flat buttons' edges are drawn from these colours.
QPalette ClassicPalette();
