; The core starts at 0 and takes interrupts at 0x03 + 8n; our programs are
; linked at 0x0F00, above the memory the host shares, so each vector jumps
; to its place in the program's own table.
	.module vectors
	.area VECTORS (ABS,CODE)
	.org 0x0000
	ljmp 0x0F00
	.org 0x0003
	ljmp 0x0F03
	.org 0x000B
	ljmp 0x0F0B
	.org 0x0013
	ljmp 0x0F13
	.org 0x001B
	ljmp 0x0F1B
	.org 0x0023
	ljmp 0x0F23
	.org 0x002B
	ljmp 0x0F2B
	.org 0x0033
	ljmp 0x0F33
	.org 0x003B
	ljmp 0x0F3B
	.org 0x0043
	ljmp 0x0F43
	.org 0x004B
	ljmp 0x0F4B
	.org 0x0053
	ljmp 0x0F53
	.org 0x005B
	ljmp 0x0F5B
