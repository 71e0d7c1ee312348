; A raster split: two raster interrupts a frame change the border and background colours.
; Each handler waits for the line after its compare line to begin, then writes both
; colours early in that line, so the chip shows them from the line after: lines 101-200
; have a red border on black, the rest a light blue border on blue.
;
; Results: the count of lower splits (one a frame) at $C000.

.include "basic_header.inc"

count   = $C000
phase   = $FB                   ; 0: the upper split comes next, 1: the lower one

        sei
        lda #$7F
        sta $DC0D               ; CIA 1: no interrupt
        lda $DC0D
        lda #<handler
        sta $0314
        lda #>handler
        sta $0315
        lda #0
        sta phase
        sta count
        lda compare
        sta $D012
        lda $D011
        and #$7F
        sta $D011
        lda #$01
        sta $D01A               ; raster source on
        cli
        rts

handler:
        lda #$01
        sta $D019               ; acknowledged
        ldx phase
        lda wait_line,x
:       cmp $D012
        bne :-
        lda border,x
        sta $D020
        lda background,x
        sta $D021
        lda compare+1,x         ; the other split's line
        sta $D012
        txa
        eor #1
        sta phase
        beq :+
        inc count
:       jmp $EA81

compare:        .byte 99, 199, 99
wait_line:      .byte 100, 200
border:         .byte 2, 14     ; red, light blue
background:     .byte 0, 6      ; black, blue
