; ADD, ADDC, SUBB, MUL and DIV over every accumulator value against sixteen
; operands with the carry set and clear, and DA over every accumulator value
; with each combination of AC and CY. Results and flags are folded into a
; checksum at 0x30..0x33; the harness compares the state every few
; thousand instructions.
        .area CSEG (ABS,CODE)
        .org 0x0000
        mov sp,#0x60
        mov r2,#0
loopb:  mov a,r2
        mov dptr,#btab
        movc a,@a+dptr
        mov r3,a
        mov r4,#0
loopa:  mov psw,#0
        mov a,r4
        add a,r3
        acall fold
        setb c
        mov a,r4
        addc a,r3
        acall fold
        clr c
        mov a,r4
        addc a,r3
        acall fold
        clr c
        mov a,r4
        subb a,r3
        acall fold
        setb c
        mov a,r4
        subb a,r3
        acall fold
        mov a,r4
        mov b,r3
        mul ab
        acall fold
        mov a,b
        acall fold
        mov a,r4
        mov b,r3
        div ab
        acall fold
        mov a,b
        acall fold
        inc r4
        cjne r4,#0,loopa
        inc r2
        cjne r2,#16,loopb
        mov r4,#0
lda:    mov r5,#0
lda2:   mov a,r5
        mov psw,a
        mov a,r4
        da a
        acall fold
        mov a,r5
        add a,#0x40
        mov r5,a
        jnz lda2
        inc r4
        cjne r4,#0,lda
        mov 0x7f,#0xaa
done:   sjmp done

fold:   push 0xd0
        add a,0x30
        mov 0x30,a
        clr a
        addc a,0x31
        mov 0x31,a
        pop 0xe0
        xrl 0x32,a
        mov a,0x33
        rl a
        xrl a,0x32
        mov 0x33,a
        ret

btab:   .db 0x00,0x01,0x0f,0x10,0x7f,0x80,0x81,0xff
        .db 0x09,0x99,0x50,0x66,0x3c,0xc3,0x0a,0xa0
