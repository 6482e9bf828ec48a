; Every instruction of the core at least once, with flags in many states.
; The harness compares the complete state after each instruction.
        .area CSEG (ABS,CODE)
        .org 0x0000
        ljmp start
        .org 0x0040
start:  mov sp,#0x50
        mov psw,#0x00
        mov r0,#0x30
        mov r1,#0x33
        mov r2,#0x36
        mov r3,#0x39
        mov r4,#0x3c
        mov r5,#0x3f
        mov r6,#0x42
        mov r7,#0x45
        mov a,#0x7f
        mov b,#0x03
        inc a
        inc 0x30
        inc @r0
        inc @r1
        inc r0
        inc r1
        inc r2
        inc r3
        inc r4
        inc r5
        inc r6
        inc r7
        dec a
        dec 0x31
        dec @r0
        dec @r1
        dec r0
        dec r1
        dec r2
        dec r3
        dec r4
        dec r5
        dec r6
        dec r7
        mov a,#0x81
        rr a
        rrc a
        rl a
        rlc a
        setb c
        rrc a
        rlc a
        mov 0x40,#0x88
        mov 0x41,#0x7f
        mov a,#0x79
        add a,#0x8f
        mov a,#0x79
        add a,0x40
        mov a,#0x79
        add a,@r0
        mov a,#0x79
        add a,@r1
        mov a,#0xc8
        add a,r0
        mov a,#0xc8
        add a,r1
        mov a,#0xc8
        add a,r2
        mov a,#0xc8
        add a,r3
        mov a,#0xc8
        add a,r4
        mov a,#0xc8
        add a,r5
        mov a,#0xc8
        add a,r6
        mov a,#0xc8
        add a,r7
        setb c
        mov a,#0x0f
        add a,#0x70
        setb c
        mov a,#0x80
        add a,#0x7f
        mov a,#0x79
        addc a,#0x8f
        mov a,#0x79
        addc a,0x40
        mov a,#0x79
        addc a,@r0
        mov a,#0x79
        addc a,@r1
        mov a,#0xc8
        addc a,r0
        mov a,#0xc8
        addc a,r1
        mov a,#0xc8
        addc a,r2
        mov a,#0xc8
        addc a,r3
        mov a,#0xc8
        addc a,r4
        mov a,#0xc8
        addc a,r5
        mov a,#0xc8
        addc a,r6
        mov a,#0xc8
        addc a,r7
        setb c
        mov a,#0x0f
        addc a,#0x70
        setb c
        mov a,#0x80
        addc a,#0x7f
        mov a,#0x79
        subb a,#0x8f
        mov a,#0x79
        subb a,0x40
        mov a,#0x79
        subb a,@r0
        mov a,#0x79
        subb a,@r1
        mov a,#0xc8
        subb a,r0
        mov a,#0xc8
        subb a,r1
        mov a,#0xc8
        subb a,r2
        mov a,#0xc8
        subb a,r3
        mov a,#0xc8
        subb a,r4
        mov a,#0xc8
        subb a,r5
        mov a,#0xc8
        subb a,r6
        mov a,#0xc8
        subb a,r7
        setb c
        mov a,#0x0f
        subb a,#0x70
        setb c
        mov a,#0x80
        subb a,#0x7f
        mov a,#0x5a
        orl 0x42,a
        orl 0x43,#0x3c
        orl a,#0x0f
        orl a,0x40
        orl a,@r0
        orl a,@r1
        orl a,r0
        orl a,r1
        orl a,r2
        orl a,r3
        orl a,r4
        orl a,r5
        orl a,r6
        orl a,r7
        mov a,#0x5a
        anl 0x42,a
        anl 0x43,#0x3c
        anl a,#0x0f
        anl a,0x40
        anl a,@r0
        anl a,@r1
        anl a,r0
        anl a,r1
        anl a,r2
        anl a,r3
        anl a,r4
        anl a,r5
        anl a,r6
        anl a,r7
        mov a,#0x5a
        xrl 0x42,a
        xrl 0x43,#0x3c
        xrl a,#0x0f
        xrl a,0x40
        xrl a,@r0
        xrl a,@r1
        xrl a,r0
        xrl a,r1
        xrl a,r2
        xrl a,r3
        xrl a,r4
        xrl a,r5
        xrl a,r6
        xrl a,r7
        mov 0x20,#0x55
        setb c
        orl c,0x01
        orl c,/0x00
        anl c,0x00
        anl c,/0x01
        mov c,0x02
        mov 0x07,c
        cpl 0x07
        cpl c
        clr 0x00
        clr c
        setb 0x03
        setb c
        setb 0xd5
        cpl 0xd5
        mov c,0xd5
        mov 0xe7,c
        mov 0x21,#0x81
        jbc 0x08,j1
        nop
j1:     jbc 0x08,j2
        nop
j2:     jb 0x0f,j3
        nop
j3:     jb 0x0e,j4
        jnb 0x0e,j4
        nop
j4:     jnb 0x0f,j5
        setb c
        jc j5
        nop
j5:     jnc j6
        clr c
        jnc j6
        nop
j6:     jc j6
        mov a,#0
        jz j7
        nop
j7:     jnz j7
        inc a
        jnz j8
        nop
j8:     jz j8
        sjmp j9
        nop
j9:     nop
        mov a,#0x12
        mov 0x44,#0x34
        mov @r0,#0x56
        mov @r1,#0x57
        mov 0x45,0x44
        mov 0x46,@r0
        mov 0x47,@r1
        mov 0x48,r0
        mov 0x49,r1
        mov 0x4a,r2
        mov 0x4b,r3
        mov 0x4c,r4
        mov 0x4d,r5
        mov 0x4e,r6
        mov 0x4f,r7
        mov @r0,0x44
        mov @r1,0x45
        mov r0,0x40
        mov r1,0x41
        mov r2,0x42
        mov r3,0x43
        mov r4,0x44
        mov r5,0x45
        mov r6,0x46
        mov r7,0x47
        mov a,0x44
        mov a,@r0
        mov a,@r1
        mov a,r0
        mov a,r1
        mov a,r2
        mov a,r3
        mov a,r4
        mov a,r5
        mov a,r6
        mov a,r7
        mov a,#0x9a
        mov 0x4f,a
        mov @r0,a
        mov @r1,a
        mov r0,a
        mov r1,a
        mov r2,a
        mov r3,a
        mov r4,a
        mov r5,a
        mov r6,a
        mov r7,a
        mov r0,#0x30
        mov r1,#0x31
        mov r2,#0x32
        mov dptr,#table
        mov a,#2
        movc a,@a+dptr
        inc dptr
        mov a,#1
        movc a,@a+pc
        sjmp m1
        .db 0x11,0x22
m1:     mov dptr,#0x0123
        mov a,#0x5c
        movx @dptr,a
        inc dptr
        inc a
        movx @dptr,a
        mov dptr,#0x0123
        movx a,@dptr
        mov p2,#0x01
        mov r0,#0x30
        mov r1,#0x31
        mov a,#0xe1
        movx @r0,a
        inc a
        movx @r1,a
        movx a,@r0
        mov b,a
        movx a,@r1
        mov dptr,#0x00ff
        inc dptr
        mov dptr,#jt
        mov a,#2
        jmp @a+dptr
jt:     sjmp jt
        sjmp jt2
jt2:    nop
        mov a,#0x50
        mov b,#0xa0
        mul ab
        mov a,#0x0f
        mov b,#0x03
        mul ab
        mov a,#0xfb
        mov b,#0x12
        div ab
        mov a,#0x12
        mov b,#0
        div ab
        mov a,#0x05
        mov b,#0x07
        div ab
        mov a,#0x40
        cjne a,#0x41,c1
c1:     cjne a,#0x40,c1
        cjne a,#0x3f,c2
c2:     cjne a,0x40,c3
c3:     mov 0x40,#0x40
        cjne a,0x40,c3
        mov r0,#0x40
        cjne @r0,#0x41,c4
c4:     mov r1,#0x40
        cjne @r1,#0x39,c5
c5:     nop
        cjne r0,#0x20,cr0
cr0:    nop
        cjne r1,#0x21,cr1
cr1:    nop
        cjne r2,#0x22,cr2
cr2:    nop
        cjne r3,#0x23,cr3
cr3:    nop
        cjne r4,#0x24,cr4
cr4:    nop
        cjne r5,#0x25,cr5
cr5:    nop
        cjne r6,#0x26,cr6
cr6:    nop
        cjne r7,#0x27,cr7
cr7:    nop
        push 0xe0
        push 0x40
        pop 0x41
        pop 0xf0
        mov a,#0x3c
        swap a
        xch a,0x40
        xch a,@r0
        xch a,@r1
        xch a,r0
        xch a,r1
        xch a,r2
        xch a,r3
        xch a,r4
        xch a,r5
        xch a,r6
        xch a,r7
        mov a,#0x87
        mov r0,#0x44
        mov r1,#0x45
        xchd a,@r0
        xchd a,@r1
        mov a,#0x19
        add a,#0x28
        da a
        mov a,#0x99
        add a,#0x99
        da a
        mov a,#0x9a
        clr c
        da a
        mov a,#0x0a
        setb c
        da a
        mov 0x40,#3
d0:     djnz 0x40,d0
        mov r0,#2
d1:     djnz r0,d1
        mov r1,#2
d2:     djnz r1,d2
        mov r2,#2
d3:     djnz r2,d3
        mov r3,#2
d4:     djnz r3,d4
        mov r4,#2
d5:     djnz r4,d5
        mov r5,#2
d6:     djnz r5,d6
        mov r6,#2
d7:     djnz r6,d7
        mov r7,#2
d8:     djnz r7,d8
        clr a
        cpl a
        cpl a
        mov psw,#0x08
        mov r0,#0x11
        mov r7,#0x17
        mov psw,#0x10
        mov r0,#0x21
        mov psw,#0x18
        mov r7,#0x37
        setb 0xd3
        clr 0xd4
        ; the reference simulator switches banks only on byte writes of PSW
        orl psw,#0
        mov a,r7
        mov psw,#0
        lcall sub1
        acall sub2
        lcall far
        .db 0xa5
        mov 0x7f,#0xee
done:   sjmp done
sub1:   mov a,#0x77
        ret
sub2:   mov a,#0x66
        ret
table:  .db 0xa1,0xb2,0xc3,0xd4
        .org 0x0800
far:    acall p8c
        acall p9c
        acall p10c
        acall p11c
        acall p12c
        acall p13c
        acall p14c
        acall p15c
        ajmp p8j
b8:     ajmp b8x
b8x:    nop
        ajmp p9j
b9:     nop
        ajmp p10j
b10:     nop
        ajmp p11j
b11:     nop
        ajmp p12j
b12:     nop
        ajmp p13j
b13:     nop
        ajmp p14j
b14:     nop
        ajmp p15j
b15:     nop

        mov dptr,#rt
        push 0x82
        push 0x83
        reti
rt:     ret
p8c:    inc 0x60
        ret
p8j:    ajmp b8
        .org 0x0900
p9c:    inc 0x61
        ret
p9j:    ljmp b9
        .org 0x0a00
p10c:    inc 0x62
        ret
p10j:    ljmp b10
        .org 0x0b00
p11c:    inc 0x63
        ret
p11j:    ljmp b11
        .org 0x0c00
p12c:    inc 0x64
        ret
p12j:    ljmp b12
        .org 0x0d00
p13c:    inc 0x65
        ret
p13j:    ljmp b13
        .org 0x0e00
p14c:    inc 0x66
        ret
p14j:    ljmp b14
        .org 0x0f00
p15c:    inc 0x67
        ret
p15j:    ljmp b15
