#pragma once

#include <cstdint>
#include <optional>

class ConfigPorts;

// Looks for a supported capture chip (Bt848, Bt849, Bt878, Bt879) by reading
// configuration register 0 of every function of every device on buses 0..255,
// in that order. The first chip whose base address register 0 holds a memory
// address wins; its bus address is returned. A zero base address, or one that
// decodes I/O space (bit 0 set), is passed over and the scan goes on.
//
// Reads only: nothing is written into configuration space. Exceptions from
// `ports` (PortAccessRefused) pass through.
std::optional<uint32_t> FindCaptureChip(ConfigPorts& ports);

// True for the configuration word (device << 16 | vendor) of a supported chip.
bool IsCaptureChipId(uint32_t word);
