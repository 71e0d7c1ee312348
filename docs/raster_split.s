; Colour bars for the README's picture of the accurate model: a chain of raster
; interrupts, each waiting for the line after its own to begin and then changing the
; border and background colours, so that eleven bars run across the whole picture with
; BASIC's text on top.

.segment "LOADADDR"
        .word $0801

.segment "CODE"
        .org $0801
        .word basic_end
        .word 10
        .byte $9E, "2061", 0
basic_end:
        .word 0

BARS    = 11
bar     = $FB                   ; the split that comes next

        sei
        lda #$7F
        sta $DC0D               ; CIA 1: no interrupt (and so no cursor)
        lda $DC0D
        lda #<handler
        sta $0314
        lda #>handler
        sta $0315
        lda #0
        sta bar
        lda lines
        sta $D012
        lda $D011
        and #$7F
        sta $D011
        lda #$01
        sta $D01A
        cli
        rts

handler:
        lda #$01
        sta $D019
        ldx bar
        ldy lines,x
        iny                     ; the line after the compare line
:       cpy $D012
        bne :-
        lda border,x
        sta $D020
        lda background,x
        sta $D021
        inx
        cpx #BARS
        bne :+
        ldx #0
:       stx bar
        lda lines,x
        sta $D012
        jmp $EA81

lines:      .byte 20, 42, 64, 86, 108, 130, 152, 174, 196, 218, 240
border:     .byte 0, 11, 12, 15, 1, 7, 8, 2, 10, 4, 6
background: .byte 6, 0, 11, 12, 15, 10, 2, 9, 0, 6, 14
