; Both collision interrupts: sprites 0 and 1, solid and at the same place, overlap each
; other and a reverse space at the screen's top-left. $D01A enables the sprite-background
; and sprite-sprite sources; the handler acknowledges what $D019 shows and reads (so
; clears) $D01E and $D01F, collecting what it saw.
;
; Results: the $D019 source bits seen at $C000, the handler's entries at $C001, the $D01E
; bits at $C002 and the $D01F bits at $C003.

.include "basic_header.inc"

sources = $C000
entries = $C001
sprites = $C002
graphics = $C003

        sei
        lda #$7F
        sta $DC0D               ; CIA 1: no interrupt
        lda $DC0D
        lda #<handler
        sta $0314
        lda #>handler
        sta $0315
        ldx #62
        lda #$FF
:       sta $0340,x             ; solid sprite data at $0340 (pointer 13)
        dex
        bpl :-
        lda #13
        sta $07F8
        sta $07F9
        lda #$A0                ; a reverse space: every pixel foreground
        sta $0400
        lda #1
        sta $D800
        lda #24
        sta $D000
        sta $D002
        lda #45
        sta $D001               ; lines 46-66: over text row 0
        sta $D003
        lda #0
        sta $D010
        sta sources
        sta entries
        sta sprites
        sta graphics
        lda $D01E               ; whatever collided since power-on goes
        lda $D01F
        lda #$0F
        sta $D019
        lda #$03
        sta $D015
        lda #$06
        sta $D01A               ; sprite-background and sprite-sprite sources on
        cli
        rts

handler:
        lda $D019
        sta $D019               ; acknowledges the latched sources
        and #$06
        ora sources
        sta sources
        inc entries
        lda $D01E
        ora sprites
        sta sprites
        lda $D01F
        ora graphics
        sta graphics
        jmp $EA81
