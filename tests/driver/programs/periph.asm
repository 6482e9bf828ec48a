; Timers 0, 1 and 2 in their modes, and external and timer interrupts on
; both priority levels. Each handler counts its calls and logs the main
; loop's progress byte to external RAM. (The serial port is left out: the
; reference simulator's bit times are not the hardware's.)
        .area CSEG (ABS,CODE)
tcon = 0x88
tmod = 0x89
tl0 = 0x8a
tl1 = 0x8b
th0 = 0x8c
th1 = 0x8d
pcon = 0x87
scon = 0x98
sbuf = 0x99
ie = 0xa8
ip = 0xb8
t2con = 0xc8
rcap2l = 0xca
rcap2h = 0xcb
tl2 = 0xcc
th2 = 0xcd
it0 = 0x88
ie0 = 0x89
it1 = 0x8a
ie1 = 0x8b
tr0 = 0x8c
tr1 = 0x8e
tr2 = 0xca
ti = 0x99
ri = 0x98
tf2 = 0xcf
        .org 0x0000
        ljmp main
        .org 0x0003
        ljmp i_ie0
        .org 0x000b
        ljmp i_t0
        .org 0x0013
        ljmp i_ie1
        .org 0x001b
        ljmp i_t1
        .org 0x0023
        ljmp i_ser
        .org 0x002b
        ljmp i_t2

        .org 0x0040
main:   mov sp,#0x70
        mov 0x48,#0x00
        mov 0x49,#0x01
        ; timer 0 16-bit, timer 1 auto-reload at high priority
        mov tmod,#0x21
        mov th0,#0xfe
        mov tl0,#0x80
        mov th1,#0xc0
        mov tl1,#0xc0
        mov ip,#0x08
        mov ie,#0x8a
        setb tr0
        setb tr1
        mov r7,#6
        acall work
        ; timer 0 in 13-bit mode, timer 1 16-bit
        clr tr0
        clr tr1
        mov tmod,#0x10
        mov th0,#0xf8
        mov tl0,#0xfb
        mov th1,#0xfc
        mov tl1,#0x00
        mov ip,#0x02
        setb tr0
        setb tr1
        mov r7,#6
        acall work
        ; timer 0 split in two 8-bit timers, timer 1 stopped in mode 3
        clr tr0
        clr tr1
        mov tmod,#0x33
        mov tl0,#0x30
        mov th0,#0x90
        setb tr0
        setb tr1
        mov r7,#4
        acall work
        clr tr0
        clr tr1
        ; external requests set by software, edge-triggered, both levels
        mov ie,#0x85
        mov ip,#0x04
        setb it0
        setb it1
        setb ie0
        nop
        setb ie1
        setb ie0
        nop
        nop
        ; timer 2 auto-reload with its interrupt
        mov ie,#0xa0
        mov ip,#0x00
        mov rcap2h,#0xfe
        mov rcap2l,#0x40
        mov th2,#0xfe
        mov tl2,#0x40
        mov t2con,#0x04
        mov r7,#4
        acall work
        mov t2con,#0x00
        ; timer 2 capture mode (overflow only)
        mov th2,#0xff
        mov tl2,#0x00
        mov t2con,#0x05
        mov r7,#2
        acall work
        mov t2con,#0x00
        mov 0x7f,#0x55
done:   sjmp done

work:   mov r5,#0
w1:     inc 0x50
        mov a,0x50
        add a,0x51
        mov 0x51,a
        djnz r5,w1
        djnz r7,work
        ret

log:    push 0x82
        push 0x83
        mov 0x82,0x48
        mov 0x83,0x49
        mov a,0x50
        movx @dptr,a
        inc dptr
        mov 0x48,0x82
        mov 0x49,0x83
        pop 0x83
        pop 0x82
        ret

i_ie0:  push 0xe0
        push 0xd0
        inc 0x40
        acall log
        pop 0xd0
        pop 0xe0
        reti
i_t0:   push 0xe0
        push 0xd0
        inc 0x41
        acall log
        pop 0xd0
        pop 0xe0
        reti
i_ie1:  push 0xe0
        push 0xd0
        inc 0x42
        acall log
        pop 0xd0
        pop 0xe0
        reti
i_t1:   push 0xe0
        push 0xd0
        inc 0x43
        acall log
        pop 0xd0
        pop 0xe0
        reti
i_ser:  push 0xe0
        push 0xd0
        inc 0x44
        acall log
        jnb ti,s1
        clr ti
        djnz r6,s2
        sjmp s1
s2:     mov a,r6
        add a,#0x60
        mov sbuf,a
s1:     pop 0xd0
        pop 0xe0
        reti
i_t2:   push 0xe0
        push 0xd0
        inc 0x45
        clr tf2
        acall log
        pop 0xd0
        pop 0xe0
        reti
