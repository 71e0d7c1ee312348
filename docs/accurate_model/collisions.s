; Both collisions, read once a frame after line 255 and shown: $D01E's bits in row 0 and
; $D01F's in row 1 (sprite 0 first, "1" for a collision), $D01E as the border colour and
; $D01F as the background colour. Sprites 0 and 1 overlap (expected $D01E = 3: cyan
; border); sprite 2 covers a block of reverse spaces (expected $D01F = 4: purple
; background); sprite 3 stands alone; sprite 4's box, but none of its pixels, reaches
; the block's corner.
.include "common.inc"

bits    = $F9

main:   jsr $E544
        ldx #2
:       lda #$A0
        sta $0400 + 10 * 40 + 20,x
        sta $0400 + 11 * 40 + 20,x
        sta $0400 + 12 * 40 + 20,x
        lda #1
        sta $D800 + 10 * 40 + 20,x
        sta $D800 + 11 * 40 + 20,x
        sta $D800 + 12 * 40 + 20,x
        dex
        bpl :-
        jsr copy_ball
        point_sprites_at_ball
        place_sprites positions, colours
        lda #%00011111
        sta $D015
        sei
        lda #$7F
        sta $DC0D
        lda $DC0D
frame:  lda #255
:       cmp $D012
        bne :-
        lda $D01E
        sta $D020
        ldx #0
        jsr show_bits
        lda $D01F
        sta $D021
        ldx #40
        jsr show_bits
:       lda $D012               ; out of line 255
        cmp #255
        beq :-
        jmp frame

; Writes A's bits, bit 0 first, as "0" and "1" at $0400 + X.
show_bits:
        sta bits
        ldy #8
:       lsr bits
        lda #$30
        adc #0
        sta $0400,x
        lda #1
        sta $D800,x
        inx
        dey
        bne :-
        rts

positions:
        .byte 60, 70, 72, 76             ; sprites 0 and 1 overlapping
        .byte 184, 125                   ; sprite 2 over the block (X 184-207, Y 126-146)
        .byte 120, 180                   ; sprite 3 alone
        .byte 206, 110                   ; sprite 4: only its empty corner at the block
        .byte 0, 0, 0, 0, 0, 0
colours:
        .byte 2, 7, 5, 13, 10, 1, 1, 1
