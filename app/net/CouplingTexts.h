// Texts of the coupling and of its controls on the interface page.
#pragma once

namespace TextId {

inline constexpr int CouplingPeerRegistered = 1490;  // status line: a peer registered
inline constexpr int CouplingPeerLeft = 1491;        // status line: a peer left
inline constexpr int CouplingPeerRefused = 1492;     // a peer outside TCP_Allow
inline constexpr int lbIPPeers = 1493;               // "Verbunden:" beside the lamp
inline constexpr int lbLokNetz = 1494;               // "Dieser PC:"
inline constexpr int lbLokDFUE = 1495;               // "DFÜ:"
inline constexpr int lbTcpAdr = 1496;                // "Adresse:"
inline constexpr int grpIP = 1497;                   // "Eigene Adressen"

}  // namespace TextId
