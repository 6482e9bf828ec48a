; The boot program's only vector: the core starts at 0 when the loader's
; last record releases it; the program itself is linked at 0x0110.
	.module reset
	.area RESET (ABS,CODE)
	.org 0x0000
	ljmp 0x0110
