/* The start-up code pages MOVX @Ri through _XPAGE; on this core that is
   MPAGE, not P2. */
__sfr __at(0x92) _XPAGE;
